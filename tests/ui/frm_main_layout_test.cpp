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

#include "frm_main.h"
#include "message_boxes.h"
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
  RecordingMessageBoxes boxes;
  frmMain window{&boxes};
};

}  // namespace

TEST_F(FrmMainLayout, WindowClientAreaTitleAndControlsInTwips) {
  EXPECT_EQ(window.windowTitle(), "Velmora");
  EXPECT_EQ(window.size(), QSize(685, 384));
  EXPECT_EQ(window.lblHeading->geometry(), twips(120, 240, 4575, 495));
  EXPECT_EQ(window.fraInputValues->geometry(), twips(120, 1080, 4575, 3135));
  EXPECT_EQ(window.fraOutputs->geometry(), twips(4800, 120, 5415, 5535));
  EXPECT_EQ(window.btnCalculate->geometry(), twips(120, 4560, 975, 375));
  EXPECT_EQ(window.btnPrint->geometry(), twips(1320, 4575, 975, 375));
  EXPECT_EQ(window.btnReset->geometry(), twips(2520, 4575, 975, 375));
  EXPECT_EQ(window.btnExit->geometry(), twips(3720, 4560, 975, 375));
  EXPECT_EQ(window.btnAbout->geometry(), twips(120, 5280, 1815, 375));
  EXPECT_EQ(window.txtR->geometry(), twips(3360, 1320, 975, 285));
  EXPECT_EQ(window.Label3->geometry(), twips(120, 1335, 3135, 255));
  EXPECT_EQ(window.fraOutputsAdditionalInformation->geometry(), twips(120, 2640, 5175, 2775));
  // About's bottom edge is level with the bottom edge of the outputs frame.
  EXPECT_EQ(window.btnAbout->geometry().bottom(), window.fraOutputs->geometry().bottom());
}

TEST_F(FrmMainLayout, ControlsKeepTheirDesignNamesAndContainers) {
  EXPECT_EQ(window.objectName(), "frmMain");
  EXPECT_EQ(window.findChild<QLineEdit*>("txtMDET"), window.txtMDET);
  EXPECT_EQ(window.txtAL->parentWidget(), window.fraInputValues);
  EXPECT_EQ(window.lblCU(1)->parentWidget(), window.fraOutputsStatusAndPower);
  EXPECT_EQ(window.lblPW(12)->parentWidget(), window.fraOutputsAdditionalInformation);
  EXPECT_EQ(window.findChild<QLabel*>("lblPW(8)"), window.lblPW(8));
  EXPECT_EQ(window.fraOutputsStatusAndPower->parentWidget(), window.fraOutputs);
  // "&&" shows a single ampersand; the status frame's caption keeps the doubled form.
  EXPECT_EQ(window.fraOutputsStatusAndPower->title(), "Status && Power");
  EXPECT_EQ(window.btnExit->text(), "E&xit");
  EXPECT_EQ(window.lblNumberOfTests->text(), "   #  of Samps");
  EXPECT_EQ(window.Label22->text(), "2Sig        3Sig       4Sig");
  EXPECT_EQ(window.Label23->text(), "                  >= .539     >= .814");
  EXPECT_EQ(window.btnCalculate->toolTip(),
            "Calculate the optimal rank values for the user-define input");
  EXPECT_TRUE(window.btnCalculate->isDefault());
}

TEST_F(FrmMainLayout, PowerOfOneOfThreeAtThreeSigmaSitsAtItsCell) {
  EXPECT_EQ(window.lblPW(8)->geometry(), twips(3720, 1680, 615, 255));
  EXPECT_EQ(window.lblCU(4)->geometry(), twips(960, 1680, 2415, 255));
  EXPECT_EQ(window.lblENT(1)->geometry(), twips(600, 960, 495, 255));
  EXPECT_EQ(window.lblPW(1)->geometry().left(), 3000 / 15);
  EXPECT_EQ(window.lblPW(12)->geometry(), twips(4440, 2040, 615, 255));
}

TEST_F(FrmMainLayout, ResultCellsAreWhiteCentredAndDoNotOverlap) {
  const std::vector<QLabel*> cells = velmora::testsupport::ResultCells(window);
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
  EXPECT_EQ(wrappedLines(window.lblNumberOfTests), 2);
  EXPECT_EQ(wrappedLines(window.Label20), 2);
  EXPECT_EQ(wrappedLines(window.Label4), 3);
  for (QLabel* label : {window.Label1, window.Label2, window.Label3, window.lblMinimumDetectedValue,
                        window.Label5, window.Label7, window.lblPowerRatingLabel, window.Label17,
                        window.Label19, window.Label21, window.Label22, window.Label24, window.Label23,
                        window.lblHeading}) {
    EXPECT_EQ(wrappedLines(label), 1) << label->objectName().toStdString();
  }
  // Every line a caption needs fits in its label's height.
  for (QLabel* label : {window.lblNumberOfTests, window.Label20, window.Label4}) {
    const QFontMetrics metrics(label->font());
    EXPECT_LE(wrappedLines(label) * metrics.lineSpacing(), label->height() + metrics.leading())
        << label->objectName().toStdString();
  }
}

TEST_F(FrmMainLayout, ReferenceCriteriaCaptionIsNotHidden) {
  const QFontMetrics metrics(window.Label24->font());
  EXPECT_LE(metrics.horizontalAdvance(window.Label24->text()), window.Label24->width());
  // Label24 overlaps the blank left end of Label23 and is drawn above it.
  const QObjectList& siblings = window.fraOutputsAdditionalInformation->children();
  EXPECT_GT(siblings.indexOf(window.Label24), siblings.indexOf(window.Label23));
  const QFontMetrics right(window.Label23->font());
  const int textLeft = window.Label23->geometry().right() -
                       right.horizontalAdvance(window.Label23->text().trimmed());
  EXPECT_GT(textLeft, window.Label24->geometry().right());
}

TEST_F(FrmMainLayout, Line5UnderlinesTheSigmaHeadingsAboveTheirLabel) {
  EXPECT_EQ(window.Line5->geometry(), QRect(200, 56, 137, 1));
  EXPECT_TRUE(window.Label22->geometry().contains(window.Line5->geometry()));
  const QObjectList& siblings = window.fraOutputsAdditionalInformation->children();
  EXPECT_GT(siblings.indexOf(window.Line5), siblings.indexOf(window.Label22));
}

TEST_F(FrmMainLayout, FontsAndColours) {
  EXPECT_EQ(window.Label1->font().pixelSize(), 11);
  EXPECT_FALSE(window.Label1->font().bold());
  EXPECT_TRUE(window.fraInputValues->font().bold());
  EXPECT_FALSE(window.fraOutputs->font().bold());
  // A bold frame does not make its captions bold.
  EXPECT_FALSE(window.txtAL->font().bold());
  EXPECT_FALSE(window.Label5->font().bold());
  EXPECT_EQ(window.lblHeading->font().pixelSize(), 18);
  EXPECT_TRUE(window.lblHeading->font().bold());
  const auto text = [](QLabel* label) { return label->palette().color(label->foregroundRole()); };
  EXPECT_EQ(text(window.lblHeading), QColor(128, 0, 0));
  EXPECT_EQ(text(window.lblPowerRatingLabel), QColor(0, 0, 128));
  EXPECT_EQ(text(window.lblNumberOfTests), QColor(0, 0, 128));
  EXPECT_EQ(text(window.lblMinimumDetectedValue), QColor(0, 0, 0));
  EXPECT_TRUE(window.Label1->autoFillBackground());
}

TEST_F(FrmMainLayout, ResizingMovesNoControl) {
  window.show();
  const QRect before = window.lblPW(8)->geometry();
  const QRect buttonBefore = window.btnAbout->geometry();
  window.resize(900, 600);
  EXPECT_EQ(window.lblPW(8)->geometry(), before);
  EXPECT_EQ(window.btnAbout->geometry(), buttonBefore);
  window.resize(300, 200);
  EXPECT_EQ(window.lblPW(8)->geometry(), before);
}

// Frames are button face inside, as the window is: an opaque caption shows no patch around
// its text, and the frame's caption sits on its border, which runs through its middle.
TEST_F(FrmMainLayout, FramesAreFlatAndTheirCaptionsSitOnTheBorder) {
  window.show();
  const QColor buttonFace = window.palette().color(QPalette::Button);
  for (QGroupBox* frame : {window.fraInputValues, window.fraOutputs, window.fraOutputsStatusAndPower,
                           window.fraOutputsAdditionalInformation}) {
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
  const QImage status = window.fraOutputsStatusAndPower->grab().toImage();
  const QRect label5 = window.Label5->geometry();
  EXPECT_EQ(status.pixelColor(label5.bottomRight()), status.pixelColor(label5.bottomRight() + QPoint(2, 0)));
}

TEST_F(FrmMainLayout, TextBoxesTakeTextsOfAnyLength) {
  const QString longText(40000, QLatin1Char('9'));
  for (QLineEdit* box : {window.txtAL, window.txtN, window.txtR, window.txtMDET}) {
    box->setText(longText);
    EXPECT_EQ(box->text().size(), longText.size()) << box->objectName().toStdString();
  }
}
