// The pictures the programs carry, where each one lives and how it is drawn.
#include "art/Art.h"

namespace art {

QList<Picture> Catalogue() {
  QList<Picture> pictures;
  auto add = [&](const char* program, const QString& list, const QString& key, QSize size,
                 std::function<QImage()> draw) {
    Picture picture{QString::fromLatin1(program), list, key, size, std::move(draw)};
    if (key.endsWith(QLatin1String("Backdrop")) || key.endsWith(QLatin1String("Background")))
      picture.format = QStringLiteral("jpg");
    pictures.append(picture);
  };

  // Corvanta.
  const QString icons = QStringLiteral("imlIcons");
  for (const QString& key : LargeIconKeys()) add("frontend", icons, key, {32, 32}, [key] { return Icon(key, 32); });
  for (const QString& key : {QStringLiteral("mainQVRV 5 - OOW"), QStringLiteral("mainQVRV 5 - Mates Masters")}) {
    add("frontend", icons, key, {32, 32}, [key] { return Icon(key, 32); });
    // The same emblem large enough for the desktop's launcher.
    add("frontend", QStringLiteral("desktop"), key, {256, 256}, [key] { return Icon(key, 256); });
  }
  for (const QString& key : SmallIconKeys()) {
    add("frontend", QStringLiteral("imlSmallIcons"), key, {16, 16}, [key] { return Icon(key, 16); });
  }
  add("frontend", QStringLiteral("imlRightPanel"), QStringLiteral("QVROOWBackdrop"), {560, 420},
      [] { return ListBackdrop(Edition::OOW, {560, 420}); });
  add("frontend", QStringLiteral("imlRightPanel"), QStringLiteral("QVRMMBackdrop"), {560, 420},
      [] { return ListBackdrop(Edition::MM, {560, 420}); });
  add("frontend", QStringLiteral("frmWait"), QStringLiteral("wait"), {48, 48}, [] { return WaitPicture({48, 48}); });

  // Pellorin and Varnok: one list per edition.
  for (Edition edition : {Edition::OOW, Edition::MM}) {
    const QString list = edition == Edition::OOW ? QStringLiteral("ilsOOW") : QStringLiteral("ilsMM");
    const QString prefix = edition == Edition::OOW ? QStringLiteral("oow") : QStringLiteral("mm");
    add("assessment", list, prefix + "FormBackground", {585, 420},
        [edition] { return QuestionBackdrop(edition, {585, 420}); });
    add("assessment", list, prefix + "NoImage", {200, 150}, [edition] { return NoPicture(edition, {200, 150}); });
    add("assessment", list, prefix + "Correct", {72, 40},
        [edition] { return JudgementFace(edition, Judgement::Correct, {72, 40}); });
    add("assessment", list, prefix + "Wrong", {72, 40},
        [edition] { return JudgementFace(edition, Judgement::Wrong, {72, 40}); });
    add("assessment", list, prefix + "Passed", {72, 40},
        [edition] { return JudgementFace(edition, Judgement::Passed, {72, 40}); });
    add("stepbrowser", list, prefix + "FormBackdrop", {585, 420},
        [edition] { return StepBackdrop(edition, {585, 420}); });
    add("stepbrowser", list, prefix + "Exit", {72, 40}, [edition] { return ExitFace(edition, {72, 40}); });
  }
  const QString logon = QStringLiteral("frmEnterBox");
  add("stepbrowser", logon, QStringLiteral("logonOK"), {40, 40}, [] { return LogonFace(LogonButton::OK, {40, 40}); });
  add("stepbrowser", logon, QStringLiteral("logonAdd"), {40, 40}, [] { return LogonFace(LogonButton::Add, {40, 40}); });
  add("stepbrowser", logon, QStringLiteral("logonConfirm"), {40, 40},
      [] { return LogonFace(LogonButton::Confirm, {40, 40}); });
  add("stepbrowser", logon, QStringLiteral("imgCapt"), {48, 48}, [] { return PersonPicture(Person::Assessor, {48, 48}); });
  add("stepbrowser", logon, QStringLiteral("img3RD"), {48, 48}, [] { return PersonPicture(Person::Candidate, {48, 48}); });
  add("stepbrowser", QStringLiteral("frmWait"), QStringLiteral("printWait"), {48, 48},
      [] { return PrintWaitPicture({48, 48}); });
  return pictures;
}

QString ResourceFileText(const QString& program, const QString& pathFromQrc) {
  QString text = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/images\">\n");
  for (const Picture& picture : Catalogue()) {
    if (picture.program != program) continue;
    text += QStringLiteral("  <file alias=\"%1/%2.%3\">%4/%5</file>\n")
                .arg(picture.list, picture.key, picture.format, pathFromQrc, picture.RelativePath());
  }
  text += QStringLiteral("</qresource>\n</RCC>\n");
  return text;
}

}  // namespace art
