#pragma once
// Message boxes, the file-open dialog and the text prompt go through one
// service. The programs show real Qt dialogs; tests install a responder that
// records every request and answers from a script.
#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// Message-box style: buttons (low bits) + icon + modality, as the original adds them.
enum MsgBoxStyle {
  vbOKOnly = 0, vbOKCancel = 1, vbAbortRetryIgnore = 2, vbYesNoCancel = 3, vbYesNo = 4, vbRetryCancel = 5,
  vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64,
  vbSystemModal = 4096,
};
// The answer codes.
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct FileDialogRequest {
  QString title;
  QString filter;    // the original's "(*.MDB)|*.mdb" form: description|pattern pairs
  QString fileName;  // the dialog's file name before it opens
};

struct PromptRequest {
  QString prompt;
  QString title;
  QStringList suggestions;  // offered names, most recent first (empty texts left out)
};

class DialogResponder {
 public:
  virtual ~DialogResponder() = default;
  virtual int MessageBox(const QString& prompt, int style, const QString& title) = 0;
  // The chosen file's full path, or "" when cancelled.
  virtual QString OpenFile(const FileDialogRequest& request) = 0;
  // The text typed; *cancelled is set when the user cancelled.
  virtual QString Prompt(const PromptRequest& request, bool* cancelled) = 0;
};

// nullptr puts the real dialogs back.
void SetDialogResponder(DialogResponder* responder);
DialogResponder* CurrentDialogResponder();

// The application's title, used for boxes without a title of their own.
void SetApplicationTitle(const QString& title);
QString ApplicationTitle();

int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());
QString ShowOpenDialog(const FileDialogRequest& request);
QString ShowPrompt(const PromptRequest& request, bool* cancelled);

// Turns the original's "description|pattern|..." filter into Qt's form. The
// dialog shows each description as it is and hides the patterns; "*.*"
// means every file, names without a dot included.
QString QtFilterFromVb(const QString& filter);
// Whether the filter's first entry, the one the dialog opens with, shows a
// file of that name.
bool FilterShows(const QString& filter, const QString& fileName);

}  // namespace platform
