#pragma once
// A stand-in for the windows that show question or step pictures: a form with
// the three picture controls, an application folder with its db/ folder in a
// temporary directory, a fixed screen, and the dialog responder.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "TestSupport.h"
#include "platform/forms/Form.h"
#include "platform/forms/Picture.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "shared/PictureDisplay.h"
#include "shared/frmPicOverSize.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace picturetest {

class PictureHost : public platform::Form {
 public:
  PictureHost() {
    picPicture = new platform::PictureBox(Client());
    imgPicture = new platform::ImageBox(Client());
    imgNoImage = new platform::ImageBox(Client());
    imgNoImage->SetStretch(false);
    imgNoImage->SetPicture(platform::StdPicture(QImage(QSize(16, 16), QImage::Format_RGB32)));
    picPicture->hide();
    imgPicture->hide();
    imgNoImage->hide();
    SetWidth(11715);
    SetHeight(8415);
  }
  platform::PictureBox* picPicture;
  platform::ImageBox* imgPicture;
  platform::ImageBox* imgNoImage;
};

class PictureFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app_.isValid());
    ASSERT_TRUE(QDir(app_.path()).mkdir(QStringLiteral("db")));
    platform::Screen::SetTestSize(15360, 11520);
    shared::GLOBAL::OverSizeWindowSized = 0;
    shared::GLOBAL::OverSizePicHeight = 0;
    shared::GLOBAL::OverSizePicWidth = 0;
    host_ = std::make_unique<PictureHost>();
    host_->Show();
    QApplication::processEvents();
  }
  void TearDown() override {
    host_.reset();  // takes its picture window with it
    delete &shared::frmPicOverSize::Instance();
    platform::Screen::SetTestSize(0, 0);
  }

  QString AppFolder() const { return app_.path(); }

  // A picture of exact pixel size in the db folder: `colour`, with a
  // one-pixel yellow column at the right edge.
  void WritePicture(const QString& name, int widthPx, int heightPx, const QColor& colour = Qt::red) {
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = 0; y < heightPx; ++y) image.setPixelColor(widthPx - 1, y, Qt::yellow);
    ASSERT_TRUE(image.save(app_.filePath(QStringLiteral("db/") + name), "PNG"));
  }
  void WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(app_.filePath(QStringLiteral("db/") + name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }

  // The question window's site with limits that leave a band 3000 high and
  // 11000 wide above the question box and 5000 x 5000 beside it.
  shared::PictureSite QuestionSite() const {
    shared::PictureSite site;
    site.mode = shared::PictureMode::Question;
    site.owner = host_.get();
    site.picPicture = host_->picPicture;
    site.imgPicture = host_->imgPicture;
    site.imgNoImage = host_->imgNoImage;
    site.AppFolder = app_.path();
    site.FormWidth = host_->Width();
    site.QuestionLeft = 117;
    site.QuestionWidth = 5700;
    site.UpperAreaHeight = 3000;
    site.UpperAreaWidth = 11000;
    site.SideAreaHeight = 5000;
    site.SideAreaWidth = 5000;
    return site;
  }
  // The step window's site: the side values equal the band's.
  shared::PictureSite StepSite(QString* shownPictureName) const {
    shared::PictureSite site = QuestionSite();
    site.mode = shared::PictureMode::Step;
    site.imgNoImage = nullptr;
    site.SideAreaHeight = site.UpperAreaHeight;
    site.SideAreaWidth = site.UpperAreaWidth;
    site.ShownPictureName = shownPictureName;
    return site;
  }

  PictureHost& host() { return *host_; }
  void TearDownHost() { host_.reset(); }

  testsupport::ScriptedResponder boxes_;

 private:
  QTemporaryDir app_;
  std::unique_ptr<PictureHost> host_;
};

}  // namespace picturetest
