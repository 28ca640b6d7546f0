// Program entry: the application object, the main window centred on the screen, the event
// loop. The program ends when the main window closes.
#include <QApplication>

#include "app_identity.h"
#include "frm_main.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velmora"));
  QApplication::setApplicationVersion(QStringLiteral(VELMORA_PROJECT_VERSION));
  QApplication::setWindowIcon(velmora::app::applicationIcon());

  velmora::ui::frmMain window;
  window.show();
  return QApplication::exec();
}
