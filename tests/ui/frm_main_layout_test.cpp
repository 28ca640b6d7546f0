// SPDX-License-Identifier: GPL-3.0-or-later
// The window's design facts that a font, a style or a slip in the twips can break.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

#include "recording_message_boxes.h"
#include "velmora/ui/frm_main.h"
#include "velmora/platform/message_boxes.h"
#include "result_cells.h"

using velmora::platform::RecordingMessageBoxes;
using velmora::ui::frmMain;

namespace {

QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

// Lines a caption takes when wrapped between words in its label's width.
int wrappedLines(const QLabel* label) {
  const QFontMetrics metrics(label->font());
  const QRect bounds = metrics.boundingRect(QRect(0, 0, label->width(), 10000),
                                            Qt::TextWordWrap | label->alignment(), label->text());
  return (bounds.height() + metrics.leading()) / metrics.lineSpacing();
}

class FrmMainLayout : public ::testing::Test {
 protected:
  RecordingMessageBoxes m_boxes;
  frmMain m_window{&m_boxes};
};

}  // namespace

TEST_F(FrmMainLayout, WindowClientAreaTitleAndControlsInTwips) {
  EXPECT_EQ(m_window.windowTitle(), "Velmora");
  EXPECT_EQ(m_window.size(), QSize(685, 384));
  EXPECT_EQ(m_window.lblHeading->geometry(), twips(120, 240, 4575, 495));
  EXPECT_EQ(m_window.fraInputValues->geometry(), twips(120, 1080, 4575, 3135));
  EXPECT_EQ(m_window.fraOutputs->geometry(), twips(4800, 120, 5415, 5535));
  EXPECT_EQ(m_window.btnCalculate->geometry(), twips(120, 4560, 975, 375));
  EXPECT_EQ(m_window.btnPrint->geometry(), twips(1320, 4575, 975, 375));
  EXPECT_EQ(m_window.btnReset->geometry(), twips(2520, 4575, 975, 375));
  EXPECT_EQ(m_window.btnExit->geometry(), twips(3720, 4560, 975, 375));
  EXPECT_EQ(m_window.btnAbout->geometry(), twips(120, 5280, 1815, 375));
  EXPECT_EQ(m_window.txtR->geometry(), twips(3360, 1320, 975, 285));
  EXPECT_EQ(m_window.Label3->geometry(), twips(120, 1335, 3135, 255));
  EXPECT_EQ(m_window.fraOutputsAdditionalInformation->geometry(), twips(120, 2640, 5175, 2775));
  // About's bottom edge is level with the bottom edge of the outputs frame.
  EXPECT_EQ(m_window.btnAbout->geometry().bottom(), m_window.fraOutputs->geometry().bottom());
}

TEST_F(FrmMainLayout, ControlsKeepTheirDesignNamesAndContainers) {
  EXPECT_EQ(m_window.objectName(), "frmMain");
  EXPECT_EQ(m_window.findChild<QLineEdit*>("txtMDET"), m_window.txtMDET);
  EXPECT_EQ(m_window.txtAL->parentWidget(), m_window.fraInputValues);
  EXPECT_EQ(m_window.lblCU(1)->parentWidget(), m_window.fraOutputsStatusAndPower);
  EXPECT_EQ(m_window.lblPW(12)->parentWidget(), m_window.fraOutputsAdditionalInformation);
  EXPECT_EQ(m_window.findChild<QLabel*>("lblPW(8)"), m_window.lblPW(8));
  EXPECT_EQ(m_window.fraOutputsStatusAndPower->parentWidget(), m_window.fraOutputs);
  // "&&" shows a single ampersand; the status frame's caption keeps the doubled form.
  EXPECT_EQ(m_window.fraOutputsStatusAndPower->title(), "Status && Power");
  EXPECT_EQ(m_window.btnExit->text(), "E&xit");
  EXPECT_EQ(m_window.lblNumberOfTests->text(), "   #  of Samps");
  EXPECT_EQ(m_window.Label22->text(), "2Sig        3Sig       4Sig");
  EXPECT_EQ(m_window.Label23->text(), "                  >= .539     >= .814");
  EXPECT_EQ(m_window.btnCalculate->toolTip(),
            "Calculate the optimal rank values for the user-define input");
  EXPECT_TRUE(m_window.btnCalculate->isDefault());
}

TEST_F(FrmMainLayout, PowerOfOneOfThreeAtThreeSigmaSitsAtItsCell) {
  EXPECT_EQ(m_window.lblPW(8)->geometry(), twips(3720, 1680, 615, 255));
  EXPECT_EQ(m_window.lblCU(4)->geometry(), twips(960, 1680, 2415, 255));
  EXPECT_EQ(m_window.lblENT(1)->geometry(), twips(600, 960, 495, 255));
  EXPECT_EQ(m_window.lblPW(1)->geometry().left(), 3000 / 15);
  EXPECT_EQ(m_window.lblPW(12)->geometry(), twips(4440, 2040, 615, 255));
}

TEST_F(FrmMainLayout, ResultCellsAreWhiteCentredAndDoNotOverlap) {
  const std::vector<QLabel*> cells = velmora::testsupport::resultCells(m_window);
  ASSERT_EQ(cells.size(), 32u);
  for (std::size_t a = 0; a < cells.size(); ++a) {
    SCOPED_TRACE(cells[a]->objectName().toStdString());
    EXPECT_TRUE(cells[a]->text().isEmpty());
    EXPECT_TRUE(cells[a]->autoFillBackground());
    EXPECT_EQ(cells[a]->palette().color(cells[a]->backgroundRole()), QColor(255, 255, 255));
    EXPECT_TRUE(cells[a]->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(cells[a]->height(), 17);
    for (std::size_t b = a + 1; b < cells.size(); ++b) {
      if (cells[a]->parentWidget() != cells[b]->parentWidget()) continue;
      EXPECT_FALSE(cells[a]->geometry().intersects(cells[b]->geometry()))
          << cells[b]->objectName().toStdString();
    }
  }
}

TEST_F(FrmMainLayout, CaptionsWrapAsDesigned) {
  EXPECT_EQ(wrappedLines(m_window.lblNumberOfTests), 2);
  EXPECT_EQ(wrappedLines(m_window.Label20), 2);
  EXPECT_EQ(wrappedLines(m_window.Label4), 3);
  for (QLabel* label : {m_window.Label1, m_window.Label2, m_window.Label3, m_window.lblMinimumDetectedValue,
                        m_window.Label5, m_window.Label7, m_window.lblPowerRatingLabel, m_window.Label17,
                        m_window.Label19, m_window.Label21, m_window.Label22, m_window.Label24, m_window.Label23,
                        m_window.lblHeading}) {
    EXPECT_EQ(wrappedLines(label), 1) << label->objectName().toStdString();
  }
  // Every line a caption needs fits in its label's height.
  for (QLabel* label : {m_window.lblNumberOfTests, m_window.Label20, m_window.Label4}) {
    const QFontMetrics metrics(label->font());
    EXPECT_LE(wrappedLines(label) * metrics.lineSpacing(), label->height() + metrics.leading())
        << label->objectName().toStdString();
  }
}

TEST_F(FrmMainLayout, ReferenceCriteriaCaptionIsNotHidden) {
  const QFontMetrics metrics(m_window.Label24->font());
  EXPECT_LE(metrics.horizontalAdvance(m_window.Label24->text()), m_window.Label24->width());
  // Label24 overlaps the blank left end of Label23 and is drawn above it.
  const QObjectList& siblings = m_window.fraOutputsAdditionalInformation->children();
  EXPECT_GT(siblings.indexOf(m_window.Label24), siblings.indexOf(m_window.Label23));
  const QFontMetrics right(m_window.Label23->font());
  const int textLeft = m_window.Label23->geometry().right() -
                       right.horizontalAdvance(m_window.Label23->text().trimmed());
  EXPECT_GT(textLeft, m_window.Label24->geometry().right());
}

TEST_F(FrmMainLayout, Line5UnderlinesTheSigmaHeadingsAboveTheirLabel) {
  EXPECT_EQ(m_window.Line5->geometry(), QRect(200, 56, 137, 1));
  EXPECT_TRUE(m_window.Label22->geometry().contains(m_window.Line5->geometry()));
  const QObjectList& siblings = m_window.fraOutputsAdditionalInformation->children();
  EXPECT_GT(siblings.indexOf(m_window.Line5), siblings.indexOf(m_window.Label22));
}

TEST_F(FrmMainLayout, FontsAndColours) {
  EXPECT_EQ(m_window.Label1->font().pixelSize(), 11);
  EXPECT_FALSE(m_window.Label1->font().bold());
  EXPECT_TRUE(m_window.fraInputValues->font().bold());
  EXPECT_FALSE(m_window.fraOutputs->font().bold());
  // A bold frame does not make its captions bold.
  EXPECT_FALSE(m_window.txtAL->font().bold());
  EXPECT_FALSE(m_window.Label5->font().bold());
  EXPECT_EQ(m_window.lblHeading->font().pixelSize(), 18);
  EXPECT_TRUE(m_window.lblHeading->font().bold());
  const auto text = [](QLabel* label) { return label->palette().color(label->foregroundRole()); };
  EXPECT_EQ(text(m_window.lblHeading), QColor(128, 0, 0));
  EXPECT_EQ(text(m_window.lblPowerRatingLabel), QColor(0, 0, 128));
  EXPECT_EQ(text(m_window.lblNumberOfTests), QColor(0, 0, 128));
  EXPECT_EQ(text(m_window.lblMinimumDetectedValue), QColor(0, 0, 0));
  EXPECT_TRUE(m_window.Label1->autoFillBackground());
}

TEST_F(FrmMainLayout, ResizingMovesNoControl) {
  m_window.show();
  const QRect before = m_window.lblPW(8)->geometry();
  const QRect buttonBefore = m_window.btnAbout->geometry();
  m_window.resize(900, 600);
  EXPECT_EQ(m_window.lblPW(8)->geometry(), before);
  EXPECT_EQ(m_window.btnAbout->geometry(), buttonBefore);
  m_window.resize(300, 200);
  EXPECT_EQ(m_window.lblPW(8)->geometry(), before);
}

// Frames are button face inside, as the window is: an opaque caption shows no patch around
// its text, and the frame's caption sits on its border, which runs through its middle.
TEST_F(FrmMainLayout, FramesAreFlatAndTheirCaptionsSitOnTheBorder) {
  m_window.show();
  const QColor buttonFace = m_window.palette().color(QPalette::Button);
  for (QGroupBox* frame : {m_window.fraInputValues, m_window.fraOutputs, m_window.fraOutputsStatusAndPower,
                           m_window.fraOutputsAdditionalInformation}) {
    SCOPED_TRACE(frame->objectName().toStdString());
    const QImage image = frame->grab().toImage();
    // Inside the border, clear of every control.
    EXPECT_EQ(image.pixelColor(image.width() - 5, image.height() - 5), buttonFace);
    const int middle = QFontMetrics(frame->font()).height() / 2;
    // The border's top line: drawn at the left end, broken where the caption stands.
    EXPECT_NE(image.pixelColor(3, middle), buttonFace);
    bool captionInk = false;
    for (int y = 0; y < middle * 2 && !captionInk; ++y) {
      for (int x = 8; x < 30; ++x) {
        if (image.pixelColor(x, y).lightness() < 100) captionInk = true;
      }
    }
    EXPECT_TRUE(captionInk) << "the caption is drawn over the top of the frame";
  }
  // A fixed caption's own background is the frame's: no patch shows around its text.
  const QImage status = m_window.fraOutputsStatusAndPower->grab().toImage();
  const QRect label5 = m_window.Label5->geometry();
  EXPECT_EQ(status.pixelColor(label5.bottomRight()), status.pixelColor(label5.bottomRight() + QPoint(2, 0)));
}

TEST_F(FrmMainLayout, TextBoxesTakeTextsOfAnyLength) {
  const QString longText(40000, QLatin1Char('9'));
  for (QLineEdit* box : {m_window.txtAL, m_window.txtN, m_window.txtR, m_window.txtMDET}) {
    box->setText(longText);
    EXPECT_EQ(box->text().size(), longText.size()) << box->objectName().toStdString();
  }
}
