#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include "frontend/frmBrowser.h"
#include "platform/forms/Program.h"

using namespace frontend;

namespace {

QString WritePage(const QString& path, const QString& colour) {
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("<html><body style='background:%1'><h1>Anchoring</h1></body></html>").arg(colour).toUtf8());
  return path;
}

bool WaitForCaption(frmBrowser& f, const QString& caption, int timeoutMs = 30000) {
  QDeadlineTimer deadline(timeoutMs);
  while (f.Caption() != caption && !deadline.hasExpired()) platform::WaitForEvents(20);
  return f.Caption() == caption;
}

}  // namespace

TEST(frmBrowser, ShowsALocalPageCaptionedAnimationOnceLoadedAndFillsItsArea) {
  QTemporaryDir dir;
  const QString page = WritePage(dir.path() + "/anchor.htm", "#00aa00");
  frmBrowser f;
  EXPECT_EQ(f.brwWebBrowser, nullptr);  // no engine before the window loads
  f.StartingAddress = page;
  f.Show();
  ASSERT_NE(f.brwWebBrowser, nullptr);
  EXPECT_EQ(f.ScaleWidth(), 10875);
  EXPECT_EQ(f.ScaleHeight(), 8295);
  EXPECT_EQ(f.brwWebBrowser->geometry(), f.Client()->rect());
  EXPECT_EQ(f.brwWebBrowser->Url(), QUrl::fromLocalFile(page));
  ASSERT_TRUE(WaitForCaption(f, " Animation"));

  f.SetWidth(6000);
  f.SetHeight(4500);
  platform::DoEvents();
  EXPECT_EQ(f.brwWebBrowser->geometry(), f.Client()->rect());
  EXPECT_EQ(f.brwWebBrowser->width(), 400);
  EXPECT_EQ(f.brwWebBrowser->height(), 300);
  f.SetWidth(0);
  f.SetHeight(0);
  platform::DoEvents();
  EXPECT_EQ(f.brwWebBrowser->geometry(), f.Client()->rect());

  // Each showing loads afresh and goes to the address set just before it.
  EXPECT_TRUE(f.Unload());
  EXPECT_EQ(f.Caption(), "");
  const QString second = WritePage(dir.path() + "/second.htm", "#0000aa");
  f.StartingAddress = second;
  f.Show();
  EXPECT_EQ(f.Caption(), "");
  EXPECT_EQ(f.brwWebBrowser->Url(), QUrl::fromLocalFile(second));
  EXPECT_TRUE(WaitForCaption(f, " Animation"));
  f.Unload();
}

TEST(frmBrowser, AnEmptyAddressShowsTheWindowWithoutNavigating) {
  frmBrowser f;
  f.Show();
  ASSERT_NE(f.brwWebBrowser, nullptr);
  EXPECT_FALSE(WaitForCaption(f, " Animation", 1500));
  EXPECT_TRUE(f.brwWebBrowser->Url().isEmpty());
  EXPECT_EQ(f.Caption(), "");
  f.Unload();
}
