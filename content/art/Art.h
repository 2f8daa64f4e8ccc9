#pragma once
// Drawing of every picture the programs and the sample content carry: list
// icons, backdrops, button faces, the log-on and wait pictures, and maritime
// illustrations for questions and steps. Everything is drawn here with
// QPainter; nothing is loaded from outside.
#include <QColor>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QString>
#include <functional>

namespace art {

enum class Edition { OOW, MM };

// The form colours of the two editions and the step browser's window colour.
QColor EditionColour(Edition edition);  // OOW 251,159,60; MM 255,172,40
QColor StepWindowColour();              // 184,212,252

// List icons by their image-list key: the large keys ("ref", "exam", ...,
// "mainQVRV 5 - OOW", "mainQVRV 5 - Mates Masters") and the small ones
// ("smlref", ..., "smlBook", "closed", "open", "leaf"), drawn at `size`
// pixels square on a transparent ground. An unknown key gives a null image.
QImage Icon(const QString& key, int size);
QStringList LargeIconKeys();  // "ref" .. "contactlist"
QStringList SmallIconKeys();  // "smlref" .. "smlBook", "closed", "open", "leaf"

// Backdrops. All are light and low in contrast: black bold text must read
// over any part of them.
QImage ListBackdrop(Edition edition, QSize size);      // front-end list
QImage QuestionBackdrop(Edition edition, QSize size);  // assessment window
QImage StepBackdrop(Edition edition, QSize size);      // step browser window

// The "no picture" placeholder of the question window.
QImage NoPicture(Edition edition, QSize size);

enum class Judgement { Correct, Wrong, Passed };
QImage JudgementFace(Edition edition, Judgement judgement, QSize size);
QImage ExitFace(Edition edition, QSize size);

enum class LogonButton { OK, Add, Confirm };
QImage LogonFace(LogonButton button, QSize size);
enum class Person { Assessor, Candidate };
QImage PersonPicture(Person person, QSize size);

QImage WaitPicture(QSize size);       // front-end wait window: a ship's wheel
QImage PrintWaitPicture(QSize size);  // browser print window: a printer with a chart

// Maritime illustrations for question and step pictures.
enum class Subject {
  NavigationLights,   // arcs of masthead, side and stern lights seen from above
  LateralBuoys,       // IALA region A port and starboard marks
  CardinalMarks,      // the four cardinal marks around a danger
  ShipProfile,        // a general cargo ship with its parts named
  LoadLine,           // the load line mark and its lines
  CrossingSituation,  // two power-driven vessels crossing
  HeadOnSituation,    // two power-driven vessels meeting end on
  Overtaking,         // the overtaking sector abaft the beam
  CompassCard,        // a compass card of 360 degrees
  Lifebuoy,           // a lifebuoy with its light and line
  SignalFlags,        // a few flags of the international code
  Stability,          // a heeled section with G, B, M and GZ
  DayShapes,          // the day shapes of the collision rules
  ChartExtract,       // a small chart with soundings and a light
};
QList<Subject> AllSubjects();
QString SubjectTitle(Subject subject);

// Draws the illustration into `rect`, with `caption` in a band along the
// bottom (no band when the caption is empty).
void DrawIllustration(QPainter& painter, const QRectF& rect, Subject subject, const QString& caption);
QImage Illustration(Subject subject, QSize size, const QString& caption);

// One committed picture: the program folder it belongs to ("frontend",
// "assessment", "stepbrowser"), its list folder, its key and how it is drawn.
struct Picture {
  QString program;
  QString list;
  QString key;
  QSize size;
  std::function<QImage()> draw;
  // Backdrops are stored as JPEG: they decode several times faster than PNG,
  // which the programs' start-up feels.
  QString format = QStringLiteral("png");
  // The file below the images folder: program/list/key.png (or .jpg)
  QString RelativePath() const { return program + '/' + list + '/' + key + '.' + format; }
};
QList<Picture> Catalogue();

// The text of the resource file of one program folder: prefix "/images",
// each picture under the alias "<list>/<key>.png" (or ".jpg"), its file given relative
// to the resource file by `pathFromQrc` (for example "../../content/images").
QString ResourceFileText(const QString& program, const QString& pathFromQrc);

}  // namespace art
