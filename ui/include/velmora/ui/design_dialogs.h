// SPDX-License-Identifier: GPL-3.0-or-later
// The program-design and sample-size planning dialogs (Analysis menu).
//
// Program Design: a site's wells, constituents, evaluations a year and site-wide
// false-positive rate give r and the per-constituent DCFP, with the formulas. Sample-Size
// Planning: a DCFP, r, a rank and a scheme give the smallest background size n, by exact
// arithmetic and by the design's own. Both compute with the exact tools; Use These Values
// writes the results into the form's boxes as if typed, closes the dialog and calculates, as
// a press of Calculate does. Values the tools refuse are refused
// here, in a line of the dialog that says what is expected, and the form stays as it was.
//
// Site and Notes (File menu): the site's name and notes a saved design carries and the
// report's site line shows.
#pragma once

#include <QDialog>
#include <QString>

#include <optional>

#include "velmora/analysis/design_helper.h"
#include "velmora/analysis/planner.h"
#include "velmora/records/design_file.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace velmora::ui {

class frmMain;

/// The text for the DCFP box that the box reads back as float(dcfp): `rounded` (the helper's
/// six significant digits) when it does, else the fewest significant digits that do (the
/// engine's shortestFloat32Text), always with a full stop whatever the locale (the boxes
/// read a full stop).
QString dcfpBoxText(double dcfp, const QString& rounded);

class ProgramDesignDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit ProgramDesignDialog(frmMain& form, QWidget* parent = nullptr);

  QLineEdit* txtWells = nullptr;
  QLineEdit* txtConstituents = nullptr;
  QLineEdit* txtEvaluations = nullptr;
  QLineEdit* txtSiteWideRate = nullptr;
  QLabel* lblResults = nullptr;  // r, the DCFP and the formulas
  QLabel* lblMessage = nullptr;  // what is expected, when a value is refused
  QPushButton* btnUse = nullptr;

  /// Use These Values: the design's r and DCFP into the form's boxes, or the refusal here.
  /// True when the values went into the form.
  bool useValues();

  /// The four fields as typed (a saved design keeps them), and putting them back.
  records::ProgramInputs inputs() const;
  void setInputs(const records::ProgramInputs& inputs);

 signals:
  /// After Use These Values wrote the design's values into the form, before it calculates.
  void valuesUsed();

 private:
  void useValuesAndCalculate();
  Expected<analysis::MonitoringDesign> design() const;
  void showDesign();

  frmMain& m_form;
};

class SampleSizePlanningDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SampleSizePlanningDialog(frmMain& form, QWidget* parent = nullptr);

  QLineEdit* txtDcfp = nullptr;
  QLineEdit* txtR = nullptr;
  QLineEdit* txtRank = nullptr;
  QComboBox* cboScheme = nullptr;  // "1:1" .. "1:4"
  QLabel* lblResults = nullptr;
  QLabel* lblMessage = nullptr;
  QPushButton* btnPlan = nullptr;
  QPushButton* btnUse = nullptr;

  /// Plan: the smallest n of the chosen scheme by both arithmetics, or the refusal.
  void plan();
  /// Use These Values: the DCFP, r and the design's smallest n into the form's boxes (the
  /// rank box following n, as leaving the n box makes it), or the refusal here.
  bool useValues();

  /// Fills the DCFP and r from the form's boxes (as the dialog opens).
  void takeFromForm();

 private:
  void useValuesAndCalculate();
  std::optional<Expected<analysis::SampleSizePlan>> m_plan;  // of the texts as they stand, when planned
  frmMain& m_form;
};

class SiteAndNotesDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit SiteAndNotesDialog(QWidget* parent = nullptr);

  QLineEdit* txtSite = nullptr;
  QPlainTextEdit* txtNotes = nullptr;

  void setValues(const QString& site, const QString& notes);
  QString site() const;
  QString notes() const;
};

}  // namespace velmora::ui
