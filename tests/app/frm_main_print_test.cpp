// SPDX-License-Identifier: GPL-3.0-or-later
// Print on the main window: the page is the window's image with white surfaces and without
// the command buttons, and afterwards the window is exactly as it was. The pages go to a
// capturing printer, the boxes to a recording one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <memory>
#include <vector>

#include "capturing_printer.h"
#include "recording_message_boxes.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/platform/printer.h"

using velmora::platform::CapturingPrinter;
using velmora::platform::RecordingMessageBoxes;
using velmora::ui::frmMain;

namespace {

const QColor kWhite(255, 255, 255);

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_window = std::make_unique<frmMain>(&m_boxes, &m_printer);
    m_window->show();
    m_window->activateWindow();
    QApplication::processEvents();
  }

  void calculate(const char* dcfp, const char* n, const char* r) {
    m_window->txtAL->setText(QString::fromLatin1(dcfp));
    m_window->txtN->setText(QString::fromLatin1(n));
    m_window->txtR->setText(QString::fromLatin1(r));
    m_window->txtMDET->setText(QString::fromLatin1(n));
    m_window->btnCalculate->click();
    ASSERT_TRUE(m_boxes.boxes().isEmpty());
    ASSERT_FALSE(m_window->lblCU(1)->text().isEmpty());
  }

  // The 30 surfaces whose backgrounds the print changes.
  std::vector<QWidget*> surfaces() const {
    frmMain& w = *m_window;
    return {&w, w.fraInputValues, w.fraOutputs, w.fraOutputsStatusAndPower,
            w.fraOutputsAdditionalInformation, w.lblHeading, w.Label1, w.Label2, w.Label3,
            w.Label4, w.Label5, w.Label7, w.Label8, w.Label9, w.Label10, w.Label11, w.Label12,
            w.Label14, w.Label15, w.Label16, w.Label17, w.Label19, w.Label20, w.Label21,
            w.Label22, w.Label23, w.Label24, w.lblPowerRatingLabel, w.lblNumberOfTests,
            w.lblMinimumDetectedValue};
  }
  std::vector<QPushButton*> buttons() const {
    return {m_window->btnCalculate, m_window->btnPrint, m_window->btnReset, m_window->btnAbout,
            m_window->btnExit};
  }

  // A control's rectangle in the window's (and so the page's) coordinates.
  QRect inWindow(const QWidget* control) const {
    return QRect(control->mapTo(m_window.get(), QPoint(0, 0)), control->size());
  }
  static QImage part(const QImage& image, QRect rect) { return image.copy(rect); }
  static bool allWhite(const QImage& image, QRect rect) {
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x)
        if (image.pixelColor(x, y) != kWhite) return false;
    return true;
  }

  RecordingMessageBoxes m_boxes;
  CapturingPrinter m_printer;
  std::unique_ptr<frmMain> m_window;
};

}  // namespace

TEST_F(PrintTest, PageIsTheClientAreaOnWhiteWithoutButtonsAndWithTheFiguresAsShown) {
  calculate("0.05", "20", "10");
  m_window->btnCalculate->setFocus();  // on a button, which the page does not show
  const QImage screen = m_window->grab().toImage();
  QTest::keyClick(m_window->windowHandle(), Qt::Key_P, Qt::AltModifier);

  ASSERT_EQ(m_printer.pages().size(), 1);
  const QImage page = m_printer.pages().front();
  EXPECT_EQ(page.size(), screen.size()) << "the client area at its own size";

  for (QPushButton* button : buttons()) {
    EXPECT_TRUE(allWhite(page, inWindow(button))) << button->objectName().toStdString();
  }
  // Every button-face surface is white on the page: a background point of each, near its
  // lower right corner, where no caption and no inner control reaches.
  const QColor buttonFace = m_window->palette().color(QPalette::Button);
  ASSERT_NE(buttonFace, kWhite);
  for (QWidget* surface : surfaces()) {
    SCOPED_TRACE(surface->objectName().toStdString());
    if (qobject_cast<QGroupBox*>(surface) != nullptr) {
      // inside its border a frame keeps the style's faint shading over the white
      const QPoint point = inWindow(surface).bottomRight() - QPoint(5, 5);
      EXPECT_LT(screen.pixelColor(point).lightness(), 240);
      EXPECT_GE(page.pixelColor(point).lightness(), 250);
    } else {
      const QPoint point = inWindow(surface).bottomRight() - QPoint(1, 1);
      EXPECT_EQ(screen.pixelColor(point), buttonFace);
      EXPECT_EQ(page.pixelColor(point), kWhite);
    }
  }

  // The boxes (inside their rounded corners, where the background shows) and the cells look
  // on the page as they do on the screen: no box has taken the focus from the hidden buttons
  // and shows its value selected.
  for (QWidget* box : std::vector<QWidget*>{m_window->txtAL, m_window->txtN, m_window->txtR, m_window->txtMDET}) {
    const QRect inside = inWindow(box).adjusted(2, 2, -2, -2);
    EXPECT_EQ(part(page, inside), part(screen, inside)) << box->objectName().toStdString();
  }
  for (QWidget* cell : std::vector<QWidget*>{m_window->lblCU(1), m_window->lblPOW(4), m_window->lblQ(2),
                                             m_window->lblENT(3), m_window->lblP(1), m_window->lblPW(12)}) {
    EXPECT_EQ(part(page, inWindow(cell)), part(screen, inWindow(cell))) << cell->objectName().toStdString();
  }
}

TEST_F(PrintTest, WindowComesBackExactlyAsDesignedAndKeepsItsTextsAndResults) {
  calculate("0.1", "15", "4");
  std::vector<QPalette> palettes;
  std::vector<bool> fills;
  for (QWidget* s : surfaces()) {
    palettes.push_back(s->palette());
    fills.push_back(s->autoFillBackground());
  }
  std::vector<QRect> places;
  for (QPushButton* b : buttons()) places.push_back(b->geometry());
  const QString cu1 = m_window->lblCU(1)->text();
  const QString pw7 = m_window->lblPW(7)->text();
  const QImage screen = m_window->grab().toImage();

  m_window->btnPrint->click();

  ASSERT_EQ(m_printer.pages().size(), 1);
  const std::vector<QWidget*> all = surfaces();
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(all[i]->objectName().toStdString());
    EXPECT_EQ(all[i]->palette(), palettes[i]);
    EXPECT_EQ(all[i]->palette().resolveMask(), palettes[i].resolveMask());
    EXPECT_EQ(all[i]->autoFillBackground(), fills[i]);
  }
  const std::vector<QPushButton*> b = buttons();
  for (std::size_t i = 0; i < b.size(); ++i) {
    EXPECT_TRUE(b[i]->isVisible()) << b[i]->objectName().toStdString();
    EXPECT_EQ(b[i]->geometry(), places[i]);
  }
  EXPECT_TRUE(m_window->isEnabled());
  EXPECT_TRUE(m_window->isVisible());
  EXPECT_EQ(m_window->txtN->text(), QStringLiteral("15"));
  EXPECT_EQ(m_window->lblCU(1)->text(), cu1);
  EXPECT_EQ(m_window->lblPW(7)->text(), pw7);
  EXPECT_TRUE(m_boxes.boxes().isEmpty());
  EXPECT_EQ(m_window->grab().toImage(), screen) << "the window looks as before the print";

  // and it still works
  m_window->btnReset->click();
  EXPECT_TRUE(m_window->lblCU(1)->text().isEmpty());
}

TEST_F(PrintTest, WhileThePageIsMadeTheWindowIgnoresInputAndShowsNoButtons) {
  m_window->txtAL->setText(QStringLiteral("0.05"));
  m_window->txtAL->setFocus();
  int calls = 0;
  m_printer.onPrint = [&](const QImage&) {
    ++calls;
    for (QPushButton* b : buttons()) EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_EQ(m_window->palette().color(m_window->backgroundRole()), kWhite);
    EXPECT_EQ(m_window->Label22->palette().color(m_window->Label22->backgroundRole()), kWhite);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_7);
    QTest::keyClick(m_window->windowHandle(), Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(m_window->txtAL->text(), QStringLiteral("0.05"));
  };
  QTest::keyClick(m_window->windowHandle(), Qt::Key_P, Qt::AltModifier);  // Alt+P prints
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(m_printer.pages().size(), 1);
  EXPECT_EQ(m_window->focusWidget(), m_window->btnPrint) << "the focus is back where it was";
  m_window->txtAL->setFocus();
  QTest::keyClick(m_window->windowHandle(), Qt::Key_7);
  EXPECT_EQ(m_window->txtAL->text(), QStringLiteral("0.057")) << "input works again";
}

TEST_F(PrintTest, TwoPrintsInARowGiveIdenticalPagesAndAnEmptyGridPrintsEmpty) {
  m_window->btnPrint->click();
  m_window->btnPrint->click();
  ASSERT_EQ(m_printer.pages().size(), 2);
  EXPECT_EQ(m_printer.pages().at(0), m_printer.pages().at(1));
  // before any calculation every result cell is a blank white box on the page
  EXPECT_TRUE(allWhite(m_printer.pages().at(0), inWindow(m_window->lblCU(1)).adjusted(1, 1, -1, -1)));
  EXPECT_TRUE(allWhite(m_printer.pages().at(0), inWindow(m_window->lblPW(12)).adjusted(1, 1, -1, -1)));
}

TEST_F(PrintTest, AFailedPrintSaysWhyAfterTheWindowIsRestored) {
  calculate("0.05", "30", "5");
  const QImage screen = m_window->grab().toImage();
  m_printer.failWith(QStringLiteral("There is no default printer."));
  bool restoredWhenShown = false;
  m_boxes.onShow = [&](const RecordingMessageBoxes::Box&) {
    restoredWhenShown = m_window->btnPrint->isVisible() && m_window->grab().toImage() == screen;
  };

  m_window->btnPrint->click();

  EXPECT_TRUE(m_printer.pages().isEmpty());
  ASSERT_EQ(m_boxes.boxes().size(), 1);
  const auto& box = m_boxes.boxes().front();
  EXPECT_EQ(box.icon, RecordingMessageBoxes::Icon::warning);
  EXPECT_EQ(box.title, QStringLiteral("Print Error"));
  EXPECT_EQ(box.prompt,
            QStringLiteral("The window could not be printed.\rThere is no default printer."));
  EXPECT_TRUE(restoredWhenShown);
  EXPECT_EQ(m_window->grab().toImage(), screen);
  EXPECT_TRUE(m_window->isEnabled());
}
