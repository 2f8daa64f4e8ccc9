#include "frontend/frmWait.h"

#include <QLabel>

#include "platform/forms/ImageList.h"
#include "platform/forms/Twips.h"

namespace frontend {

using namespace platform;

frmWait::frmWait(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frmWait"));
  SetCaption(QStringLiteral("  Work in progress..."));
  SetWidth(3555);
  SetHeight(1050);

  imgWait = new QLabel(Client());
  imgWait->setObjectName(QStringLiteral("imgWait"));
  imgWait->setScaledContents(true);
  const ImageList pictures(QStringLiteral("frmWait"));
  if (pictures.Exists(QStringLiteral("wait"))) imgWait->setPixmap(pictures.ListImage(QStringLiteral("wait")));
  Move(imgWait, 240, 165, 720, 720);

  lblWait = new QLabel(QStringLiteral("       Please wait...      Loading the files."), Client());
  lblWait->setObjectName(QStringLiteral("lblWait"));
  lblWait->setWordWrap(true);
  lblWait->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  Move(lblWait, 1080, 165, 2355, 720);

  tmrWait = new Timer(this, 1500);
  tmrWait->OnTimer = [this] { tmrWait_Timer(); };
}

void frmWait::Form_GotFocus() {
  tmrWait->SetEnabled(true);
  repaint();
}

void frmWait::Form_Unload(int&) { tmrWait->SetEnabled(false); }

void frmWait::tmrWait_Timer() {
  tmrWait->SetEnabled(false);
  Hide();
}

}  // namespace frontend
