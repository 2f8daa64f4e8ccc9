// A window with a stretched backdrop and one line of rich text: the floor of
// any window that shows text and a picture (fonts, text layout, picture
// decoding), which the bare window does not pay.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTextEdit>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Q_INIT_RESOURCE(stepbrowser_images);
  QWidget window;
  window.resize(781, 561);
  auto* backdrop = new QLabel(&window);
  backdrop->setScaledContents(true);
  backdrop->setPixmap(QPixmap(QStringLiteral(":/images/ilsOOW/oowFormBackdrop.jpg")));
  backdrop->setGeometry(0, 0, 781, 561);
  auto* text = new QTextEdit(&window);
  text->setGeometry(8, 340, 700, 207);
  text->setHtml(QStringLiteral("<b>Step 1: take a bearing.</b><br>Put the bearing line on the target."));
  window.show();
  QApplication::processEvents();
  std::fflush(nullptr);
  std::_Exit(0);
}
