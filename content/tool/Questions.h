#pragma once
// The question and step texts of the sample training database.
#include <QList>
#include <QString>

namespace content {

// A text of a row; nullptr stands for Null.
struct QuestionRow {
  int id;
  const char* question1;
  const char* answer1;
  const char* question2 = nullptr;
  const char* answer2 = nullptr;
};

struct QuestionTable {
  const char* name;         // DBName
  const char* description;  // DBDescription
  int parts;                // QuestionParts
  bool questionPictures;
  bool answerPictures;
  const char* picName;      // nullptr: Null
  QList<QuestionRow> rows;
};

struct StepRow {
  int id;
  QString step;  // a null QString stands for Null
};

struct StepTable {
  const char* name;
  const char* description;
  const char* picName;  // nullptr: Null
  QList<StepRow> rows;
};

QList<QuestionTable> QuestionTables();
QList<StepTable> StepTables();

}  // namespace content
