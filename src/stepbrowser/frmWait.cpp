#include "stepbrowser/frmWait.h"

#include <QGuiApplication>

#include "platform/forms/ImageList.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"

namespace stepbrowser {

frmWait::frmWait(QWidget* parent) : platform::Form(parent) {
  SetCaption(QStringLiteral(" Job in progress"));
  QWidget* area = Client();

  imgWait = new QLabel(area);
  const platform::ImageList pictures(QStringLiteral("frmWait"));
  if (pictures.Exists(QStringLiteral("printWait"))) imgWait->setPixmap(pictures.ListImage(QStringLiteral("printWait")));
  imgWait->setScaledContents(true);
  platform::Move(imgWait, 240, 240, 720, 720);

  lblWait = new QLabel(QStringLiteral("       Please wait...       Send datas to the printer."), area);
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(10);
  lblWait->setFont(font);
  lblWait->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  platform::Move(lblWait, 1080, 240, 5280, 720);

  prgWait = new QProgressBar(area);
  prgWait->setRange(kBarMinimum, kBarMaximum);
  prgWait->setValue(kBarMinimum);
  prgWait->setTextVisible(false);
  platform::Move(prgWait, 240, 1200, 6120, 300);

  tmrWait.OnTimer = [this] { platform::RunHandler([this] { tmrWait_Timer(); }); };

  SetWidth(6600);
  SetHeight(1740);
  setFixedSize(size());
  SetLeft((platform::Screen::Width() - Width()) / 2);
  SetTop((platform::Screen::Height() - Height()) / 2);
}

frmWait::~frmWait() = default;

void frmWait::Form_GotFocus() {
  prgWait->setValue(prgWait->minimum());
  // The offscreen platform keeps no window order.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
}

void frmWait::tmrWait_Timer() {
  if (prgWait->maximum() > prgWait->value()) {
    prgWait->setValue(prgWait->value() + 1);
  } else {
    tmrWait.SetEnabled(false);
    Hide();
  }
}

}  // namespace stepbrowser
