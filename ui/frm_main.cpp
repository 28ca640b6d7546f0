// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/frm_main.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QShowEvent>
#include <QStringList>

#include <limits>

#include "velmora/platform/busy_pointer.h"
#include "velmora/platform/fonts.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/printer.h"
#include "velmora/platform/regional.h"

namespace velmora::ui {

namespace {

// The window's fonts, in pixels at 96 dots per inch: 8.25 pt is 11 pixels, 13.5 pt is 18.
// Pixel sizes keep the captions in step with the twip geometry on any display density.
constexpr int kCaptionPixelSize = 11;
constexpr int kHeadingPixelSize = 18;

const QColor kWhite(255, 255, 255);
const QColor kNavy(0, 0, 128);
const QColor kMaroon(128, 0, 0);
const QColor kBlack(0, 0, 0);

QString joinLines(const QStringList& lines) { return lines.join(QLatin1Char('\r')); }

// The About box. The six contact lines name the project, not a person.
const QString kAboutTitle = QStringLiteral("About the Velmora");
QString aboutPrompt() {
  const QString indent(10, QLatin1Char(' '));
  return joinLines({
      QStringLiteral("Velmora: "),
      QString(),
      QStringLiteral("-- This program calculates the optimal rank values for "),
      QStringLiteral("   1:1 through 1:4 non-parametric maximum tests, given"),
      QStringLiteral("   single constituent cumulative false positive, background"),
      QStringLiteral("   sample size, and number of comparisons as inputs."),
      QString(),
      QStringLiteral("-- The user can also specify a lowest maximum value allowable"),
      QStringLiteral("   in the background data set. "),
      QString(),
      QStringLiteral("-- The program also provides power estimates and ratings based"),
      QStringLiteral("   on Tavrel reference power criteria."),
      QString(),
      QStringLiteral("This program was developed by:"),
      indent + QStringLiteral("Velmora project"),
      indent + QStringLiteral("Velmora maintainers team"),
      indent + QStringLiteral("Project home: the Velmora source repository"),
      indent + QStringLiteral("Issues and questions: the project's issue tracker"),
      indent + QStringLiteral("velmora@users.invalid"),
      indent + QStringLiteral("No telephone support"),
  });
}

const QString kNumberOfTestsTitle = QStringLiteral("Number of Tests Explanation");
QString numberOfTestsPrompt() {
  return joinLines({
      QStringLiteral("Number of Samples for r Tests to the same background: "),
      QStringLiteral("      Initial number of comparison samples, plus expected repeats"),
      QStringLiteral("      under background conditions"),
  });
}

const QString kPowerRatingTitle = QStringLiteral("Power Rating Explanation");
QString powerRatingPrompt() {
  return joinLines({
      QStringLiteral("       Good:   3- & 4- sigma levels equal or exceed Tavrel reference criteria"),
      QString(),
      QStringLiteral("      Acceptable:   3- or 4- sigma levels equal or exceed"),
      QString(),
      QStringLiteral("      Low:   Neither 3- or 4- sigma levels equal or exceed"),
      QString(),
      QStringLiteral("Rating Criteria: 3-sigma level equals or exceeds .539"),
      QString(),
      QStringLiteral("                        4-sigma level equals or exceeds .814"),
  });
}

// Above a device pixel ratio of 1 (on any of the screens) the regular captions take a face
// with outlines; the bitmap face would be drawn at its own size in a doubled layout.
QFont captionFont(bool bold = false) {
  QFont font(bold ? platform::boldCaptionFontFamily()
                  : platform::captionFontFamilyFor(qApp->devicePixelRatio()));
  font.setPixelSize(kCaptionPixelSize);
  font.setBold(bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

// Labels: opaque button-face background, button-text colour, top-left text, wrapping
// between words and clipped at the bottom edge.
QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  Qt::Alignment horizontal = Qt::AlignLeft) {
  auto* label = new QLabel(caption, container);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  label->setFont(captionFont());
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(horizontal | Qt::AlignTop);
  label->setMargin(0);
  label->setIndent(0);
  label->setAutoFillBackground(true);
  label->setBackgroundRole(QPalette::Button);
  label->setForegroundRole(QPalette::ButtonText);
  label->setFocusPolicy(Qt::NoFocus);
  return label;
}

void setTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::ButtonText, colour);
  label->setPalette(palette);
}

// Result cells: white, centred, empty until a run fills them.
QLabel* makeResultCell(QWidget* container, const QString& name, QRect geometry) {
  auto* cell = makeLabel(container, "", QString(), geometry, Qt::AlignHCenter);
  cell->setObjectName(name);
  QPalette palette = cell->palette();
  palette.setColor(QPalette::Button, kWhite);
  cell->setPalette(palette);
  return cell;
}

QLineEdit* makeTextBox(QWidget* container, const char* name, QRect geometry) {
  auto* box = new QLineEdit(container);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(geometry);
  box->setFont(captionFont());
  // No length limit (the toolkit's default cuts a pasted text at 32767 characters).
  box->setMaxLength(std::numeric_limits<int>::max());
  return box;
}

QPushButton* makeButton(QWidget* container, const char* name, const QString& caption,
                        QRect geometry, const QString& toolTip) {
  auto* button = new QPushButton(caption, container);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  button->setFont(captionFont());
  button->setToolTip(toolTip);
  // Enter on a button that has the focus presses that button.
  button->setAutoDefault(true);
  return button;
}

// A frame as designed: flat button face inside and out, an etched border, and the caption
// drawn in the frame's own font over the top edge of the border, which runs through the
// caption's middle. The style's group box shades its inside and puts its caption above the
// border, so the opaque labels showed as patches and the first row of captions crowded the
// border; this one draws itself instead.
class Frame final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

  static constexpr int kCaptionLeft = 8;  // pixels from the frame's left edge to its caption

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int border = metrics.height() / 2;
    const int right = width() - 1;
    const int bottom = height() - 1;
    // Etched: a shadow line, and a highlight line one pixel to the right and below it.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, border, right - 1, border);
    painter.drawLine(0, border, 0, bottom - 1);
    painter.drawLine(0, bottom - 1, right - 1, bottom - 1);
    painter.drawLine(right - 1, border, right - 1, bottom - 1);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(1, border + 1, right - 2, border + 1);
    painter.drawLine(1, border + 1, 1, bottom - 2);
    painter.drawLine(0, bottom, right, bottom);
    painter.drawLine(right, border, right, bottom);

    if (title().isEmpty()) return;
    // "&&" shows as one ampersand.
    const QRect caption(kCaptionLeft, 0, metrics.size(Qt::TextShowMnemonic, title()).width(),
                        metrics.height());
    painter.fillRect(caption.adjusted(-2, 0, 2, 0), palette().brush(backgroundRole()));
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, title());
  }
};

QGroupBox* makeFrame(QWidget* container, const char* name, const QString& caption, QRect geometry,
                     bool bold) {
  auto* frame = new Frame(caption, container);
  frame->setObjectName(QLatin1String(name));
  frame->setGeometry(geometry);
  frame->setFont(captionFont(bold));
  frame->setFocusPolicy(Qt::NoFocus);
  frame->setAutoFillBackground(true);
  frame->setBackgroundRole(QPalette::Button);
  frame->setForegroundRole(QPalette::ButtonText);
  return frame;
}

}  // namespace

QString frmMain::captionFontFamily() { return platform::captionFontFamilyFor(qApp->devicePixelRatio()); }

frmMain::frmMain(platform::MessageBoxes* messageBoxes, platform::Printer* printer, QWidget* parent)
    : QWidget(parent) {
  if (messageBoxes == nullptr) {
    m_ownMessageBoxes = std::make_unique<platform::QtMessageBoxes>(this);
    messageBoxes = m_ownMessageBoxes.get();
  }
  m_messageBoxes = messageBoxes;
  if (printer == nullptr) {
    m_ownPrinter = std::make_unique<platform::DefaultPrinter>();
    printer = m_ownPrinter.get();
  }
  m_printer = printer;

  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Velmora"));
  setFont(captionFont());
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
  resize(pixelsFromTwips(10275), pixelsFromTwips(5760));

  buildControls();
  connectEvents();
  txtAL->setFocus(Qt::OtherFocusReason);
}

frmMain::~frmMain() {
  // The application-wide focus signal must not reach a window that is being destroyed:
  // QWidget's destructor hides the window, which moves the focus while this object is
  // already only a QWidget.
  disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void frmMain::buildControls() {
  lblHeading = makeLabel(this, "lblHeading", QStringLiteral("Velmora"),
                         twipRect(120, 240, 4575, 495), Qt::AlignHCenter);
  QFont heading = captionFont(true);
  heading.setPixelSize(kHeadingPixelSize);
  lblHeading->setFont(heading);
  setTextColour(lblHeading, kMaroon);

  fraInputValues = makeFrame(this, "fraInputValues", QStringLiteral("Input Values Here:"),
                             twipRect(120, 1080, 4575, 3135), true);
  fraOutputs = makeFrame(this, "fraOutputs", QStringLiteral("Outputs"),
                         twipRect(4800, 120, 5415, 5535), false);

  // The input frame.
  QWidget* in = fraInputValues;
  Label1 = makeLabel(in, "Label1", QString::fromLatin1(inputBoxCaption(InputBox::txtAL)),
                     twipRect(120, 360, 3135, 255));
  txtAL = makeTextBox(in, "txtAL", twipRect(3360, 360, 975, 285));
  Label2 = makeLabel(in, "Label2", QString::fromLatin1(inputBoxCaption(InputBox::txtN)),
                     twipRect(120, 840, 3135, 255));
  txtN = makeTextBox(in, "txtN", twipRect(3360, 840, 975, 285));
  Label3 = makeLabel(in, "Label3", QString::fromLatin1(inputBoxCaption(InputBox::txtR)),
                     twipRect(120, 1335, 3135, 255));
  txtR = makeTextBox(in, "txtR", twipRect(3360, 1320, 975, 285));
  lblMinimumDetectedValue =
      makeLabel(in, "lblMinimumDetectedValue", QString::fromLatin1(kRankBoxCaptionWithFootnote),
                twipRect(120, 1815, 3135, 255));
  setTextColour(lblMinimumDetectedValue, kBlack);
  txtMDET = makeTextBox(in, "txtMDET", twipRect(3360, 1800, 975, 285));
  Label4 = makeLabel(in, "Label4",
                     QStringLiteral("* The default  is the lowest allowable inverse rank from  the "
                                    "Background sample size [n], above.  You may overwrite this "
                                    "default with another rank value."),
                     twipRect(240, 2280, 3855, 735));

  // The output frames.
  fraOutputsStatusAndPower =
      makeFrame(fraOutputs, "fraOutputsStatusAndPower", QStringLiteral("Status && Power"),
                twipRect(120, 360, 5175, 2175), true);
  fraOutputsAdditionalInformation =
      makeFrame(fraOutputs, "fraOutputsAdditionalInformation",
                QStringLiteral("Additional Information"), twipRect(120, 2640, 5175, 2775), true);

  QWidget* status = fraOutputsStatusAndPower;
  Label5 = makeLabel(status, "Label5", QStringLiteral("Test"), twipRect(240, 240, 495, 255));
  Label7 = makeLabel(status, "Label7", QStringLiteral("DCFP Status @ Opt. Maximum"),
                     twipRect(960, 240, 2295, 255), Qt::AlignHCenter);
  lblPowerRatingLabel = makeLabel(status, "lblPowerRatingLabel", QStringLiteral("Power Rating"),
                                  twipRect(3720, 240, 975, 255));
  setTextColour(lblPowerRatingLabel, kNavy);
  Label9 = makeLabel(status, "Label9", QStringLiteral("1:1"), twipRect(240, 600, 495, 255));
  Label10 = makeLabel(status, "Label10", QStringLiteral("1:2"), twipRect(240, 960, 495, 255));
  Label11 = makeLabel(status, "Label11", QStringLiteral("1:3"), twipRect(240, 1320, 495, 255));
  Label12 = makeLabel(status, "Label12", QStringLiteral("1:4"), twipRect(240, 1680, 495, 255));

  QWidget* more = fraOutputsAdditionalInformation;
  Label17 = makeLabel(more, "Label17", QStringLiteral("Test"), twipRect(120, 600, 375, 255),
                      Qt::AlignHCenter);
  lblNumberOfTests = makeLabel(more, "lblNumberOfTests", QStringLiteral("   #  of Samps"),
                               twipRect(480, 360, 615, 495), Qt::AlignHCenter);
  setTextColour(lblNumberOfTests, kNavy);
  Label19 = makeLabel(more, "Label19", QStringLiteral("Ind P"), twipRect(1200, 600, 495, 255),
                      Qt::AlignHCenter);
  Label20 = makeLabel(more, "Label20", QStringLiteral("Achievable CFP Error"),
                      twipRect(1800, 375, 855, 495), Qt::AlignHCenter);
  Label21 = makeLabel(more, "Label21", QStringLiteral("Power @"), twipRect(3360, 240, 1335, 255),
                      Qt::AlignHCenter);
  Label22 = makeLabel(more, "Label22", QStringLiteral("2Sig        3Sig       4Sig"),
                      twipRect(3000, 600, 2055, 255), Qt::AlignHCenter);
  Label16 = makeLabel(more, "Label16", QStringLiteral("1:1"), twipRect(240, 960, 375, 255));
  Label15 = makeLabel(more, "Label15", QStringLiteral("1:2"), twipRect(240, 1320, 375, 255));
  Label14 = makeLabel(more, "Label14", QStringLiteral("1:3"), twipRect(240, 1680, 375, 255));
  Label8 = makeLabel(more, "Label8", QStringLiteral("1:4"), twipRect(240, 2040, 375, 255));
  Label23 = makeLabel(more, "Label23", QStringLiteral("                  >= .539     >= .814"),
                      twipRect(2520, 2400, 2415, 255), Qt::AlignRight);
  // Made after Label23, so it is drawn above Label23's blank left end.
  Label24 = makeLabel(more, "Label24", QStringLiteral("Tavrel Reference Criteria: "),
                      twipRect(720, 2400, 2055, 255), Qt::AlignRight);

  // Line5: one pixel of window-text colour, from (3000, 840) to (5040, 840), drawn above Label22.
  Line5 = new QWidget(more);
  Line5->setObjectName(QStringLiteral("Line5"));
  Line5->setGeometry(QRect(QPoint(pixelsFromTwips(3000), pixelsFromTwips(840)),
                           QPoint(pixelsFromTwips(5040), pixelsFromTwips(840))));
  Line5->setAutoFillBackground(true);
  Line5->setBackgroundRole(QPalette::WindowText);
  Line5->raise();

  // The result grid: one row per scheme.
  constexpr std::array<int, 4> kStatusRowTop{600, 960, 1320, 1680};
  constexpr std::array<int, 4> kMoreRowTop{960, 1320, 1680, 2040};
  constexpr std::array<int, 3> kPowerColumnLeft{3000, 3720, 4440};
  const auto cellName = [](const char* array, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
  };
  for (int t = 1; t <= 4; ++t) {
    const int statusTop = kStatusRowTop[static_cast<std::size_t>(t - 1)];
    const int top = kMoreRowTop[static_cast<std::size_t>(t - 1)];
    lblCU.set(t, makeResultCell(status, cellName("lblCU", t), twipRect(960, statusTop, 2415, 255)));
    lblPOW.set(t,
               makeResultCell(status, cellName("lblPOW", t), twipRect(3720, statusTop, 1095, 255)));
    lblENT.set(t, makeResultCell(more, cellName("lblENT", t), twipRect(600, top, 495, 255)));
    lblP.set(t, makeResultCell(more, cellName("lblP", t), twipRect(1200, top, 615, 255)));
    lblQ.set(t, makeResultCell(more, cellName("lblQ", t), twipRect(1920, top, 735, 255)));
    for (int sigma = 2; sigma <= 4; ++sigma) {
      const int index = 3 * (t - 1) + (sigma - 1);
      lblPW.set(index, makeResultCell(more, cellName("lblPW", index),
                                      twipRect(kPowerColumnLeft[static_cast<std::size_t>(sigma - 2)],
                                               top, 615, 255)));
    }
  }

  // The command buttons.
  btnCalculate = makeButton(this, "btnCalculate", QStringLiteral("&Calculate"),
                            twipRect(120, 4560, 975, 375),
                            QStringLiteral("Calculate the optimal rank values for the user-define input"));
  btnCalculate->setDefault(true);
  btnPrint = makeButton(this, "btnPrint", QStringLiteral("&Print"), twipRect(1320, 4575, 975, 375),
                        QStringLiteral("Print this form to default printer"));
  btnReset = makeButton(this, "btnReset", QStringLiteral("&Reset"), twipRect(2520, 4575, 975, 375),
                        QStringLiteral("Reset the form for another calculation"));
  btnExit = makeButton(this, "btnExit", QStringLiteral("E&xit"), twipRect(3720, 4560, 975, 375),
                       QStringLiteral("Exit this program"));
  btnAbout = makeButton(this, "btnAbout", QStringLiteral("&About This Calculator"),
                        twipRect(120, 5280, 1815, 375), QStringLiteral("Learn about the Velmora"));

  // Focus order: the four boxes, then Calculate, Reset, Exit, About, Print, and round again.
  QWidget::setTabOrder(txtAL, txtN);
  QWidget::setTabOrder(txtN, txtR);
  QWidget::setTabOrder(txtR, txtMDET);
  QWidget::setTabOrder(txtMDET, btnCalculate);
  QWidget::setTabOrder(btnCalculate, btnReset);
  QWidget::setTabOrder(btnReset, btnExit);
  QWidget::setTabOrder(btnExit, btnAbout);
  QWidget::setTabOrder(btnAbout, btnPrint);
}

void frmMain::connectEvents() {
  connect(btnCalculate, &QPushButton::clicked, this, &frmMain::btnCalculateClick);
  connect(btnReset, &QPushButton::clicked, this, &frmMain::btnResetClick);
  connect(btnPrint, &QPushButton::clicked, this, &frmMain::btnPrintClick);
  connect(btnAbout, &QPushButton::clicked, this, &frmMain::btnAboutClick);
  connect(btnExit, &QPushButton::clicked, this, &frmMain::btnExitClick);

  // Calculate is the default button: Enter in a text box presses it, and the focus stays.
  for (QLineEdit* box : {txtAL, txtN, txtR, txtMDET}) {
    connect(box, &QLineEdit::returnPressed, btnCalculate, &QPushButton::click);
  }
  // An access key moves the focus to its button before pressing it, as a click does.
  for (QPushButton* button : {btnCalculate, btnPrint, btnReset, btnExit, btnAbout}) {
    button->installEventFilter(this);
  }
  lblNumberOfTests->installEventFilter(this);
  lblPowerRatingLabel->installEventFilter(this);

  connect(qApp, &QApplication::focusChanged, this, &frmMain::onFocusChanged);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Shortcut) {
    if (auto* button = qobject_cast<QPushButton*>(watched)) {
      if (button->isEnabled() && button->isVisible()) {
        button->setFocus(Qt::ShortcutFocusReason);
        button->click();
      }
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease &&
      (watched == lblNumberOfTests || watched == lblPowerRatingLabel)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* label = static_cast<QLabel*>(watched);
    if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
      if (label == lblNumberOfTests) {
        lblNumberOfTestsClick();
      } else {
        lblPowerRatingLabelClick();
      }
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Below the menu bar the top-level window centres itself.
  if (m_centred || !isWindow()) return;
  m_centred = true;
  platform::centreOnScreen(*this);
}

// Leaving txtN fills txtMDET with the text of txtN, so the lowest rank defaults to n. Only a
// move of the focus to another control of this window counts: a message box opening over
// the window, or the window losing activation, leaves txtMDET alone. The menu bar belongs
// to the same window.
void frmMain::onFocusChanged(QWidget* old, QWidget* now) {
  if (old == txtN && now != nullptr && now != txtN && now->window() == window()) {
    txtNLostFocus();
  }
}

void frmMain::txtNLostFocus() { txtMDET->setText(txtN->text()); }

void frmMain::enterValues(const std::optional<QString>& dcfp, const std::optional<QString>& n,
                          const std::optional<QString>& r) {
  if (dcfp) txtAL->setText(*dcfp);
  if (n) {
    txtN->setText(*n);
    txtNLostFocus();
  }
  if (r) txtR->setText(*r);
}

QLineEdit* frmMain::inputBox(InputBox box) const {
  switch (box) {
    case InputBox::txtAL: return txtAL;
    case InputBox::txtN: return txtN;
    case InputBox::txtR: return txtR;
    case InputBox::txtMDET: return txtMDET;
  }
  return txtAL;
}

void frmMain::btnCalculateClick() {
  const InputTexts texts{txtAL->text().toStdString(), txtN->text().toStdString(),
                         txtR->text().toStdString(), txtMDET->text().toStdString()};
  Expected<CalculationResult> outcome;
  {
    platform::BusyPointer busy;
    outcome = m_calculation.calculate(texts, platform::regionalDecimalSymbol().toStdString());
    if (outcome) showCaptions(outcome->captions);
  }
  if (outcome) {
    m_lastTexts = texts;
    m_lastOutcome = std::move(*outcome);
    emit calculated();
    return;
  }
  // A refusal changes nothing on the screen but the focus: earlier results stay. Its lines
  // are one prompt, joined by carriage returns.
  const Problem& refusal = outcome.error();
  QStringList lines;
  for (const std::string& line : refusal.lines) lines.append(QString::fromStdString(line));
  m_messageBoxes->showWarning(QString::fromStdString(refusal.title), joinLines(lines));
  if (refusal.box) inputBox(*refusal.box)->setFocus(Qt::OtherFocusReason);
}

void frmMain::showCaptions(const ResultCaptions& captions) {
  const auto fill = [](const auto& cells, const auto& texts) {
    int index = 1;
    for (const std::string& text : texts) cells(index++)->setText(QString::fromStdString(text));
  };
  fill(lblCU, captions.lblCU);
  fill(lblPOW, captions.lblPOW);
  fill(lblENT, captions.lblENT);
  fill(lblP, captions.lblP);
  fill(lblQ, captions.lblQ);
  fill(lblPW, captions.lblPW);
}

void frmMain::btnResetClick() {
  m_calculation.reset();
  for (QLineEdit* box : {txtAL, txtN, txtR, txtMDET}) box->clear();
  for (const auto* cells : {&lblCU, &lblPOW, &lblENT, &lblP, &lblQ}) {
    for (QLabel* cell : *cells) cell->clear();
  }
  for (QLabel* cell : lblPW) cell->clear();
  txtAL->setFocus(Qt::OtherFocusReason);
  m_lastOutcome.reset();
  m_lastTexts = InputTexts{};
  emit wasReset();
}

void frmMain::btnAboutClick() { m_messageBoxes->showInformation(kAboutTitle, aboutPrompt()); }

void frmMain::lblNumberOfTestsClick() {
  m_messageBoxes->showInformation(kNumberOfTestsTitle, numberOfTestsPrompt());
}

void frmMain::lblPowerRatingLabelClick() {
  m_messageBoxes->showInformation(kPowerRatingTitle, powerRatingPrompt());
}

// Exit closes the window without a question; with it the program ends. Below the menu bar
// that is the top-level window, which closes every other window of the program with it.
void frmMain::btnExitClick() { window()->close(); }

}  // namespace velmora::ui
