// SPDX-License-Identifier: GPL-3.0-or-later
#include "velmora/ui/design_dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "velmora/platform/busy_pointer.h"
#include "velmora/ui/frm_main.h"
#include "velmora/engine/numbers.h"

namespace velmora::ui {

namespace {

// A refused request as the dialog shows it: the tool's lines as sentences, capitalised and
// ended. A sentence that opens with a symbol ("r = W × E ...") keeps it as written: r is not R.
QString expected(const Problem& refusal) {
  QStringList lines;
  for (const std::string& line : refusal.lines) lines.append(QString::fromStdString(line));
  QString text = lines.join(QLatin1Char(' '));
  const bool opensWithSymbol = text.size() < 2 || !text[1].isLetter();
  if (!opensWithSymbol) text[0] = text[0].toUpper();
  if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
  return text;
}

// A line of results or of a message: wrapped within the dialog's width, never widening it.
void wrapWithin(QLabel* label) {
  label->setWordWrap(true);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QLabel* makeMessageLine(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QStringLiteral("lblMessage"));
  wrapWithin(label);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(128, 0, 0));  // the form's maroon
  label->setPalette(palette);
  return label;
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QString& text = {}) {
  auto* box = new QLineEdit(text, parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

// The dialog keeps the width it opens with while one types: a long message or formula wraps
// instead of pulling the window wider under the pointer.
void keepWidth(QDialog& dialog) {
  dialog.setFixedWidth(std::max(dialog.sizeHint().width(), dialog.fontMetrics().averageCharWidth() * 72));
}

// New values in the boxes beside the previous run's results would read as theirs: the form
// calculates at once, as a press of Calculate does (a refusal shows its message and leaves
// the earlier results, which the status line then marks as those of other inputs).
void calculateAsPressed(frmMain& form) { form.btnCalculate->click(); }

}  // namespace

QString dcfpBoxText(double dcfp, const QString& rounded) {
  const float target = static_cast<float>(dcfp);
  if (!rounded.isEmpty() && readsAsFloat32(rounded.toStdString(), target)) return rounded;
  return QString::fromStdString(shortestFloat32Text(target));
}

// ---- Program Design -----------------------------------------------------------------------

ProgramDesignDialog::ProgramDesignDialog(frmMain& form, QWidget* parent)
    : QDialog(parent), m_form(form) {
  setObjectName(QStringLiteral("dlgProgramDesign"));
  setWindowTitle(QStringLiteral("Program Design"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("From the site's monitoring program to the calculator's inputs: the number "
                     "of comparisons r per constituent and year, and the DCFP of each constituent "
                     "that keeps the site-wide false-positive rate."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* fields = new QFormLayout;
  txtWells = makeBox(this, "txtWells");
  txtConstituents = makeBox(this, "txtConstituents");
  txtEvaluations = makeBox(this, "txtEvaluations");
  txtSiteWideRate = makeBox(this, "txtSiteWideRate", QStringLiteral("0.10"));
  fields->addRow(QStringLiteral("&Wells (W):"), txtWells);
  fields->addRow(QStringLiteral("C&onstituents (C):"), txtConstituents);
  fields->addRow(QStringLiteral("&Evaluations a year (E):"), txtEvaluations);
  fields->addRow(QStringLiteral("&Site-wide false-positive rate (A):"), txtSiteWideRate);
  txtWells->setToolTip(QStringLiteral("The downgradient wells compared with the background: a whole number."));
  txtConstituents->setToolTip(QStringLiteral("The constituents each well is tested for: a whole number."));
  txtEvaluations->setToolTip(QStringLiteral("How often a year the wells are evaluated: a whole number."));
  txtSiteWideRate->setToolTip(QStringLiteral("The false-positive rate allowed for the whole site in a year, "
                                             "above 0 and below 1 (0.10 when empty)."));
  layout->addLayout(fields);

  lblResults = new QLabel(this);
  lblResults->setObjectName(QStringLiteral("lblResults"));
  lblResults->setTextFormat(Qt::PlainText);
  lblResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
  wrapWithin(lblResults);
  lblResults->setMinimumHeight(lblResults->fontMetrics().lineSpacing() * 4);
  layout->addWidget(lblResults);
  lblMessage = makeMessageLine(this);
  layout->addWidget(lblMessage);

  auto* buttons = new QDialogButtonBox(this);
  btnUse = buttons->addButton(QStringLiteral("&Use These Values"), QDialogButtonBox::AcceptRole);
  btnUse->setObjectName(QStringLiteral("btnUse"));
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The Use button decides itself whether the dialog closes.
  disconnect(buttons, &QDialogButtonBox::accepted, nullptr, nullptr);
  connect(btnUse, &QPushButton::clicked, this, &ProgramDesignDialog::useValuesAndCalculate);
  for (QLineEdit* box : {txtWells, txtConstituents, txtEvaluations, txtSiteWideRate}) {
    connect(box, &QLineEdit::textChanged, this, &ProgramDesignDialog::showDesign);
  }
  showDesign();
  keepWidth(*this);
}

Expected<analysis::MonitoringDesign> ProgramDesignDialog::design() const {
  // The form's background size, when it is a number, bounds r as the calculation will.
  return analysis::designMonitoringProgram(txtWells->text().toStdString(), txtConstituents->text().toStdString(),
                                 txtEvaluations->text().toStdString(),
                                 txtSiteWideRate->text().toStdString(),
                                 m_form.txtN->text().trimmed().toStdString());
}

void ProgramDesignDialog::showDesign() {
  lblMessage->clear();
  if (txtWells->text().isEmpty() && txtConstituents->text().isEmpty() &&
      txtEvaluations->text().isEmpty()) {
    lblResults->setText(QStringLiteral("Type the wells, constituents and evaluations a year."));
    return;
  }
  const Expected<analysis::MonitoringDesign> result = design();
  if (!result) {
    lblResults->clear();
    lblMessage->setText(expected(result.error()));
    return;
  }
  // The DCFP once: the text the form's box will receive.
  lblResults->setText(QStringLiteral("%1\n%2 = %3")
                          .arg(QString::fromStdString(result->rFormula),
                               QString::fromStdString(result->dcfpExpression),
                               dcfpBoxText(result->dcfp, QString::fromStdString(result->dcfpText))));
}

bool ProgramDesignDialog::useValues() {
  const Expected<analysis::MonitoringDesign> result = design();
  if (!result) {
    lblMessage->setText(expected(result.error()));
    return false;
  }
  m_form.enterValues(dcfpBoxText(result->dcfp, QString::fromStdString(result->dcfpText)), std::nullopt,
                     QString::number(result->r));
  return true;
}

void ProgramDesignDialog::useValuesAndCalculate() {
  if (!useValues()) return;
  accept();
  emit valuesUsed();
  calculateAsPressed(m_form);
}

records::ProgramInputs ProgramDesignDialog::inputs() const {
  return {txtWells->text().toStdString(), txtConstituents->text().toStdString(),
          txtEvaluations->text().toStdString(), txtSiteWideRate->text().toStdString()};
}

void ProgramDesignDialog::setInputs(const records::ProgramInputs& inputs) {
  txtWells->setText(QString::fromStdString(inputs.wells));
  txtConstituents->setText(QString::fromStdString(inputs.constituents));
  txtEvaluations->setText(QString::fromStdString(inputs.evaluations));
  txtSiteWideRate->setText(QString::fromStdString(inputs.swfpr));
}

// ---- Sample-Size Planning -----------------------------------------------------------------

SampleSizePlanningDialog::SampleSizePlanningDialog(frmMain& form, QWidget* parent)
    : QDialog(parent), m_form(form) {
  setObjectName(QStringLiteral("dlgSampleSizePlanning"));
  setWindowTitle(QStringLiteral("Sample-Size Planning"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(
      QStringLiteral("The smallest background size n for which a fixed rank of a scheme meets "
                     "the DCFP with r comparisons, by exact arithmetic and by the calculator's own "
                     "single-precision arithmetic."),
      this);
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* fields = new QFormLayout;
  txtDcfp = makeBox(this, "txtDcfp");
  txtR = makeBox(this, "txtR");
  txtRank = makeBox(this, "txtRank", QStringLiteral("1"));
  cboScheme = new QComboBox(this);
  cboScheme->setObjectName(QStringLiteral("cboScheme"));
  cboScheme->addItems({QStringLiteral("1:1"), QStringLiteral("1:2"), QStringLiteral("1:3"),
                       QStringLiteral("1:4")});
  fields->addRow(QStringLiteral("&DCFP:"), txtDcfp);
  fields->addRow(QStringLiteral("&Comparisons (r):"), txtR);
  fields->addRow(QStringLiteral("Ran&k (1 = background maximum):"), txtRank);
  fields->addRow(QStringLiteral("&Scheme:"), cboScheme);
  txtDcfp->setToolTip(QStringLiteral("The design cumulative false-positive error: above 0 and at most 1."));
  txtR->setToolTip(QStringLiteral("The number of comparisons r with the same background: 1 to 8191."));
  txtRank->setToolTip(QStringLiteral("The inverse rank of the limit: 1 is the background maximum, 2 the "
                                     "second largest value, and so on; at most n."));
  cboScheme->setToolTip(QStringLiteral("The scheme 1:t: a well passes when one of up to t samples (the first and "
                                       "its verification resamples) does not exceed the limit."));
  layout->addLayout(fields);

  lblResults = new QLabel(this);
  lblResults->setObjectName(QStringLiteral("lblResults"));
  lblResults->setTextFormat(Qt::PlainText);
  lblResults->setTextInteractionFlags(Qt::TextSelectableByMouse);
  wrapWithin(lblResults);
  lblResults->setMinimumHeight(lblResults->fontMetrics().lineSpacing() * 3);
  layout->addWidget(lblResults);
  lblMessage = makeMessageLine(this);
  layout->addWidget(lblMessage);

  auto* buttons = new QDialogButtonBox(this);
  btnPlan = buttons->addButton(QStringLiteral("&Plan"), QDialogButtonBox::ActionRole);
  btnPlan->setObjectName(QStringLiteral("btnPlan"));
  btnUse = buttons->addButton(QStringLiteral("&Use These Values"), QDialogButtonBox::ActionRole);
  btnUse->setObjectName(QStringLiteral("btnUse"));
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(btnPlan, &QPushButton::clicked, this, &SampleSizePlanningDialog::plan);
  connect(btnUse, &QPushButton::clicked, this, &SampleSizePlanningDialog::useValuesAndCalculate);
  // A plan belongs to the texts it was made from.
  const auto stale = [this] {
    m_plan.reset();
    lblResults->clear();
    lblMessage->clear();
  };
  for (QLineEdit* box : {txtDcfp, txtR, txtRank}) connect(box, &QLineEdit::textChanged, this, stale);
  connect(cboScheme, &QComboBox::currentIndexChanged, this, stale);
  keepWidth(*this);
}

void SampleSizePlanningDialog::takeFromForm() {
  txtDcfp->setText(m_form.txtAL->text().trimmed());
  txtR->setText(m_form.txtR->text().trimmed());
}

void SampleSizePlanningDialog::plan() {
  Expected<analysis::SampleSizePlan> result;
  {
    const platform::BusyPointer busy;
    result = analysis::planSampleSize(txtDcfp->text().toStdString(), txtR->text().toStdString(),
                            txtRank->text().toStdString(), cboScheme->currentText().toStdString());
  }
  lblMessage->clear();
  if (!result) {
    lblResults->clear();
    lblMessage->setText(expected(result.error()));
    m_plan = result;
    return;
  }
  const analysis::SchemePlan& scheme = result->schemes.front();
  const auto line = [&](const char* what, const std::optional<int>& n, double cfp) {
    if (n) {
      return QStringLiteral("%1: n = %2 (CFP %3)").arg(QLatin1String(what)).arg(*n).arg(cfp, 0, 'g', 6);
    }
    return QStringLiteral("%1: no n up to %2 (CFP %3 there)")
        .arg(QLatin1String(what)).arg(result->largestN).arg(cfp, 0, 'g', 6);
  };
  lblResults->setText(
      QStringLiteral("Scheme %1, rank %2, n from %3 to %4\n")
          .arg(cboScheme->currentText()).arg(result->rank).arg(result->smallestN).arg(result->largestN) +
      line("Exact", scheme.exactN, static_cast<double>(scheme.exactCfp)) + QLatin1Char('\n') +
      line("Design's arithmetic", scheme.designN, static_cast<double>(scheme.designCfp)));
  m_plan = result;
}

bool SampleSizePlanningDialog::useValues() {
  if (!m_plan) plan();
  if (!*m_plan) {
    lblMessage->setText(expected(m_plan->error()));
    return false;
  }
  const analysis::SchemePlan& scheme = (*m_plan)->schemes.front();
  if (!scheme.designN) {
    lblMessage->setText(QStringLiteral("No background size up to %1 meets the DCFP at this rank: "
                                       "a larger DCFP, fewer comparisons or a lower rank is expected.")
                            .arg((*m_plan)->largestN));
    return false;
  }
  // The form reads the DCFP text itself, so the text as typed reads back to the same value.
  m_form.enterValues(txtDcfp->text().trimmed(), QString::number(*scheme.designN), txtR->text().trimmed());
  return true;
}

void SampleSizePlanningDialog::useValuesAndCalculate() {
  if (!useValues()) return;
  accept();
  calculateAsPressed(m_form);
}

// ---- Site and Notes -----------------------------------------------------------------------

SiteAndNotesDialog::SiteAndNotesDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgSiteAndNotes"));
  setWindowTitle(QStringLiteral("Site and Notes"));
  auto* layout = new QVBoxLayout(this);
  auto* fields = new QFormLayout;
  txtSite = makeBox(this, "txtSite");
  txtSite->setToolTip(QStringLiteral("The site's name: the report's site line shows it."));
  txtNotes = new QPlainTextEdit(this);
  txtNotes->setObjectName(QStringLiteral("txtNotes"));
  txtNotes->setToolTip(QStringLiteral("Anything worth keeping with the design; saved with it."));
  // Tab moves on to the buttons, as in every other field of the program.
  txtNotes->setTabChangesFocus(true);
  fields->addRow(QStringLiteral("&Site:"), txtSite);
  fields->addRow(QStringLiteral("&Notes:"), txtNotes);
  layout->addLayout(fields);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  keepWidth(*this);
}

void SiteAndNotesDialog::setValues(const QString& site, const QString& notes) {
  txtSite->setText(site);
  txtNotes->setPlainText(notes);
}

QString SiteAndNotesDialog::site() const { return txtSite->text(); }

QString SiteAndNotesDialog::notes() const { return txtNotes->toPlainText(); }

}  // namespace velmora::ui
