#pragma once
// The sample content of the application folder and the tool that lays it
// out: menu, results, training and study databases, pictures, help files, a
// web page set, an animation page, a movie and documents.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <stdexcept>

#include "art/Art.h"
#include "platform/data/Data.h"
#include "platform/values/VbValues.h"

namespace content {

// Columns are made in the data layer's type convention.
using ColumnType = platform::ColumnType;
using Column = platform::ColumnDefinition;
using Row = QList<platform::Variant>;
struct Table {
  QString name;
  QList<Column> columns;
  QList<Row> rows;
};
struct DatabaseDefinition {
  QString relativePath;  // below the application folder, "/" separated
  QString password;
  QList<Table> tables;
};

// Every database of the folder: the two menu databases, the results, the
// training and the study database.
QList<DatabaseDefinition> SampleDatabases();
DatabaseDefinition MenuDatabase(art::Edition edition);
DatabaseDefinition ResultsDatabase();
DatabaseDefinition TrainingDatabase();
DatabaseDefinition StudyDatabase();

// One picture file of the training database: its name in db/ (no
// extension), what it shows, its size and its file format.
struct PictureFile {
  QString name;
  art::Subject subject;
  QSize size;
  QByteArray format;  // "png", "jpg", "bmp" or "gif"
  QString caption;
};
QList<PictureFile> SamplePictures();
// The file's bytes in its format.
QByteArray EncodePicture(const QImage& image, const QByteArray& format);
// A GIF (87a, 256-colour palette, LZW) of the image; Qt reads GIF but does not write it.
QByteArray EncodeGif(const QImage& image);

// A text file of the folder.
struct TextFile {
  QString relativePath;
  QByteArray bytes;
};
QList<TextFile> SampleTextFiles();
// The help pages of one compiled help file, before compiling.
struct HelpBook {
  QString relativePath;  // the .chm
  QString title;
  QList<std::pair<QString, QString>> pages;  // file name, HTML
};
QList<HelpBook> SampleHelpBooks();

class LayoutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct LayoutOptions {
  QString buildDir;  // where the programs were built ("" copies none)
  QString outDir;    // the application folder
  bool movie = true;     // make the sample movie (needs ffmpeg)
};
// Lays out the folder and gives back what it did, one line per step. Raises
// LayoutError when a step fails.
QStringList LayOut(const LayoutOptions& options);

}  // namespace content
