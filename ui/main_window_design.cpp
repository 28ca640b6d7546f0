// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's design in a file: File › Open Design…, Recent Designs, Save Design,
// Save Design As… and Site and Notes…, the title that names the file and marks changes, and
// the question before unsaved changes are set aside.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <string>
#include <string_view>

#include "velmora/platform/documents.h"
#include "velmora/platform/file_dialogs.h"
#include "velmora/platform/message_boxes.h"
#include "velmora/ui/design_dialogs.h"
#include "velmora/ui/frm_main.h"
#include "velmora/ui/main_window.h"

namespace velmora::ui {

namespace {

const QString kDesignFilter = QStringLiteral("Velmora designs (*%1)").arg(QLatin1String(records::kDesignFileExtension));

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// A line of a problem as a sentence of a message box: capitalised and ended.
QString sentence(const std::string& line) {
  QString text = fromUtf8(line);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  if (!text.endsWith(QLatin1Char('.'))) text += QLatin1Char('.');
  return text;
}

}  // namespace

void MainWindow::buildDesignMenu() {
  const auto item = [this](const char* name, const QString& caption, const QKeySequence& keys) {
    QAction* action = menuFile->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
  };
  actOpenDesign = item("actOpenDesign", QStringLiteral("Open &Design…"), QKeySequence::Open);
  menuRecentDesigns = menuFile->addMenu(QStringLiteral("&Recent Designs"));
  menuRecentDesigns->setObjectName(QStringLiteral("menuRecentDesigns"));
  actSaveDesign = item("actSaveDesign", QStringLiteral("&Save Design"), QKeySequence::Save);
  // Spelt out: the desktop's own Save As keys are none on some desktops.
  actSaveDesignAs = item("actSaveDesignAs", QStringLiteral("Save Design &As…"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  actSiteAndNotes = item("actSiteAndNotes", QStringLiteral("Site and &Notes…"), QKeySequence());

  connect(actOpenDesign, &QAction::triggered, this, &MainWindow::openDesign);
  connect(actSaveDesign, &QAction::triggered, this, &MainWindow::saveDesign);
  connect(actSaveDesignAs, &QAction::triggered, this, &MainWindow::saveDesignAs);
  connect(actSiteAndNotes, &QAction::triggered, this, &MainWindow::editSiteAndNotes);
  fillRecentDesigns();
}

// The list as the settings hold it now: another instance of the program may have added to it.
void MainWindow::fillRecentDesigns() {
  menuRecentDesigns->clear();
  const QStringList files = m_recentDesigns.files();
  for (int i = 0; i < files.size(); ++i) {
    const QString& path = files[i];
    QAction* action = menuRecentDesigns->addAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName().replace(QLatin1Char('&'), QStringLiteral("&&"))));
    action->setToolTip(QDir::toNativeSeparators(path));
    action->setStatusTip(QDir::toNativeSeparators(path));
    connect(action, &QAction::triggered, this, [this, path] { openRecentDesign(path); });
  }
  menuRecentDesigns->setToolTipsVisible(true);
  menuRecentDesigns->setEnabled(!files.isEmpty());
}

records::DesignFile MainWindow::currentDesign() const {
  records::DesignFile design;
  design.inputs = {m_form->txtAL->text().toStdString(), m_form->txtN->text().toStdString(),
                   m_form->txtR->text().toStdString(), m_form->txtMDET->text().toStdString()};
  design.site = m_site.toStdString();
  design.notes = m_notes.toStdString();
  if (m_program && m_form->txtAL->text() == m_program->dcfp && m_form->txtR->text() == m_program->r) {
    design.program = m_program->inputs;
  }
  return design;
}

QString MainWindow::designName() const {
  return m_designPath.isEmpty() ? QStringLiteral("the new design") : QFileInfo(m_designPath).fileName();
}

// "north-landfill.velmora* – Velmora" ([*] is where the toolkit shows the mark of changes).
void MainWindow::showDesignState() {
  const QString title = m_designPath.isEmpty()
                            ? QStringLiteral("Velmora[*]")
                            : QStringLiteral("%1[*] \u2013 Velmora").arg(QFileInfo(m_designPath).fileName());
  setWindowTitle(title);
  setWindowModified(!(currentDesign() == m_savedDesign));
}

bool MainWindow::mayLeaveDesign() {
  if (!isWindowModified()) return true;
  switch (m_messageBoxes->askToSaveChanges(
      QStringLiteral("Velmora"), QStringLiteral("Save the changes to %1 first?").arg(designName()))) {
    case platform::SaveChanges::save: return saveDesign();
    case platform::SaveChanges::discard: return true;
    case platform::SaveChanges::cancel: return false;
  }
  return false;
}

bool MainWindow::saveDesign() {
  if (m_designPath.isEmpty()) return saveDesignAs();
  return saveDesignTo(m_designPath);
}

bool MainWindow::saveDesignAs() {
  const QString suggested = m_designPath.isEmpty()
                                ? QStringLiteral("design") + QLatin1String(records::kDesignFileExtension)
                                : m_designPath;
  QString path = m_fileDialogs->saveFileName(this, QStringLiteral("Save Design As"), suggested, kDesignFilter);
  if (path.isEmpty()) return false;
  if (!path.endsWith(QLatin1String(records::kDesignFileExtension), Qt::CaseInsensitive)) {
    path += QLatin1String(records::kDesignFileExtension);
  }
  return saveDesignTo(path);
}

// Written whole beside the old file and put in its place only once complete, so a failed
// save leaves the earlier file as it was; the window keeps its changes marked as unsaved.
bool MainWindow::saveDesignTo(const QString& path) {
  const records::DesignFile design = currentDesign();
  QString reason;
  if (!platform::writeWholeFile(path, QByteArray::fromStdString(records::writeDesignFile(design)), &reason)) {
    m_messageBoxes->showWarning(QStringLiteral("Save Error"),
                                QStringLiteral("The design could not be saved to\r%1\r%2")
                                    .arg(QDir::toNativeSeparators(path), reason));
    return false;
  }
  m_designPath = path;
  m_savedDesign = design;
  m_recentDesigns.add(path);
  fillRecentDesigns();
  showDesignState();
  return true;
}

void MainWindow::openDesign() {
  const QString path = m_fileDialogs->openFileName(this, QStringLiteral("Open Design"), kDesignFilter);
  if (!path.isEmpty()) openDesignFile(path);
}

void MainWindow::openRecentDesign(const QString& path) {
  if (!platform::fileExists(path)) {
    m_recentDesigns.remove(path);
    fillRecentDesigns();
    m_messageBoxes->showWarning(QStringLiteral("Open Error"),
                                QStringLiteral("The design file\r%1\rno longer exists. It is taken off the list "
                                               "of recent designs.")
                                    .arg(QDir::toNativeSeparators(path)));
    return;
  }
  openDesignFile(path);
}

bool MainWindow::openDesignFile(const QString& path) {
  // The file is read and checked before anything is asked or changed: a file that is no
  // design leaves the window exactly as it was.
  QString reason;
  const std::optional<QByteArray> bytes =
      platform::readFileStart(path, static_cast<qint64>(records::kDesignFileMaxBytes) + 1, &reason);
  Expected<records::DesignFile> read = fail(ProblemKind::refusedRequest, reason.toStdString());
  if (bytes) read = records::readDesignFile(std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
  if (!read) {
    m_messageBoxes->showWarning(QStringLiteral("Open Error"),
                                QStringLiteral("The design could not be opened from\r%1\r%2")
                                    .arg(QDir::toNativeSeparators(path), sentence(read.error().lines.front())));
    return false;
  }
  if (!mayLeaveDesign()) return false;

  const records::DesignFile& design = *read;
  m_designPath = path;
  m_savedDesign = design;
  m_site = fromUtf8(design.site);
  m_notes = fromUtf8(design.notes);
  m_program.reset();
  if (design.program) {
    m_program = UsedProgram{*design.program, fromUtf8(design.inputs.txtAL), fromUtf8(design.inputs.txtR)};
    makeProgramDesign();
    m_programDesign->setInputs(*design.program);
  }
  m_recentDesigns.add(path);
  fillRecentDesigns();

  // The focus leaves the n box first: leaving it later would copy n into the rank box over
  // the rank the file holds.
  m_form->txtAL->setFocus(Qt::OtherFocusReason);
  const bool empty = design.inputs == InputTexts{};
  if (empty) {
    m_form->btnReset->click();  // an empty design is the form as Reset leaves it
  } else {
    m_form->txtAL->setText(fromUtf8(design.inputs.txtAL));
    m_form->txtN->setText(fromUtf8(design.inputs.txtN));
    m_form->txtR->setText(fromUtf8(design.inputs.txtR));
    m_form->txtMDET->setText(fromUtf8(design.inputs.txtMDET));
    // As Use These Values: the results shown are at once those of the values in the boxes
    // (a refusal shows the calculation's own message, and the file stays open).
    m_form->btnCalculate->click();
  }
  showDesignState();
  return true;
}

void MainWindow::programDesignUsed() {
  m_program = UsedProgram{m_programDesign->inputs(), m_form->txtAL->text(), m_form->txtR->text()};
  showDesignState();
}

void MainWindow::editSiteAndNotes() {
  if (m_siteAndNotes == nullptr) {
    m_siteAndNotes = new SiteAndNotesDialog(this);
    connect(m_siteAndNotes, &QDialog::accepted, this, [this] {
      m_site = m_siteAndNotes->site();
      m_notes = m_siteAndNotes->notes();
      showDesignState();
    });
  }
  m_siteAndNotes->setValues(m_site, m_notes);
  m_siteAndNotes->open();
}

}  // namespace velmora::ui
