#include "platform/forms/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

namespace platform {
namespace {

DialogResponder*& Responder() {
  static DialogResponder* responder = nullptr;
  return responder;
}

QString& Title() {
  static QString title;
  return title;
}

QWidget* ActiveParent() { return QApplication::activeWindow(); }

// The original's texts break lines with CrLf or a lone CR.
QString DisplayText(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  return text;
}

int RealMessageBox(const QString& prompt, int style, const QString& title) {
  QMessageBox box(ActiveParent());
  box.setWindowTitle(title);
  box.setText(DisplayText(prompt));
  switch (style & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  struct Button { QMessageBox::StandardButton button; int answer; };
  QList<Button> buttons;
  switch (style & 7) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
      buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
      break;
    case vbYesNoCancel: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
  }
  QMessageBox::StandardButtons set;
  for (const Button& b : buttons) set |= b.button;
  box.setStandardButtons(set);
  box.setDefaultButton(buttons.first().button);
  if (style & vbSystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  const int clicked = box.exec();
  for (const Button& b : buttons)
    if (clicked == b.button) return b.answer;
  // Closed with the title bar: the answer of the cancel button, else the first.
  for (const Button& b : buttons)
    if (b.answer == vbCancel || b.answer == vbNo) return b.answer;
  return buttons.first().answer;
}

// Waits, a second at most, until the file dialog has listed its folder, so
// that it opens sized to what its columns hold.
void AwaitListing(QFileDialog& dialog) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (!model) return;  // the desktop's own dialog
  const QDir folder = dialog.directory();
  QEventLoop loop;
  QObject::connect(model, &QFileSystemModel::directoryLoaded, &loop, [&](const QString& path) {
    if (QDir(path) == folder) loop.quit();
  });
  QTimer::singleShot(1000, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// Widens the file list's columns to what they hold and the dialog with them,
// as far as the screen allows, as it is about to show (and be centred).
class ColumnsFit : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) return false;
    auto* dialog = static_cast<QWidget*>(watched);
    QAbstractItemView* list = dialog->findChild<QTreeView*>();
    if (!list) return false;
    QHeaderView* header = static_cast<QTreeView*>(list)->header();
    for (int c = 0; c < header->count(); ++c) {
      int wanted = std::max(header->sectionSize(c), header->sectionSizeHint(c));
      if (c > 0) wanted = std::max(wanted, list->sizeHintForColumn(c));  // the names keep their width
      header->resizeSection(c, wanted);
    }
    const int room = list->contentsRect().width() - list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const int screen = dialog->screen()->availableGeometry().width();
    const int width = std::min(dialog->width() + std::max(0, header->length() - room), screen);
    dialog->resize(std::max(width, dialog->width()), dialog->height());
    return false;
  }
};

QString RealOpenFile(const FileDialogRequest& request) {
  QFileDialog dialog(ActiveParent(), request.title);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setNameFilter(QtFilterFromVb(request.filter));
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  AwaitListing(dialog);
  ColumnsFit fit;
  dialog.installEventFilter(&fit);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

QString RealPrompt(const PromptRequest& request, bool* cancelled) {
  QDialog dialog(ActiveParent());
  dialog.setWindowTitle(request.title);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(DisplayText(request.prompt), &dialog));
  auto* name = new QComboBox(&dialog);
  name->setEditable(true);
  name->addItems(request.suggestions);
  name->setCurrentText(QString());
  name->setMinimumWidth(320);
  layout->addWidget(name);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  if (cancelled) *cancelled = !accepted;
  return accepted ? name->currentText() : QString();
}

}  // namespace

void SetDialogResponder(DialogResponder* responder) { Responder() = responder; }
DialogResponder* CurrentDialogResponder() { return Responder(); }

void SetApplicationTitle(const QString& title) { Title() = title; }
QString ApplicationTitle() { return Title().isEmpty() ? QApplication::applicationName() : Title(); }

int MsgBox(const QString& prompt, int style, const QString& title) {
  const QString shown = title.isEmpty() ? ApplicationTitle() : title;
  if (Responder()) return Responder()->MessageBox(prompt, style, shown);
  return RealMessageBox(prompt, style, shown);
}

QString ShowOpenDialog(const FileDialogRequest& request) {
  if (Responder()) return Responder()->OpenFile(request);
  return RealOpenFile(request);
}

QString ShowPrompt(const PromptRequest& request, bool* cancelled) {
  if (cancelled) *cancelled = false;
  if (Responder()) return Responder()->Prompt(request, cancelled);
  return RealPrompt(request, cancelled);
}

namespace {

// The patterns of one entry as Qt matches them.
QStringList QtPatterns(const QString& patterns) {
  QStringList out;
  for (const QString& p : patterns.split(u';', Qt::SkipEmptyParts)) {
    const QString pattern = p.trimmed();
    out << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
  }
  return out;
}

}  // namespace

QString QtFilterFromVb(const QString& filter) {
  const QStringList parts = filter.split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = QtPatterns(parts[i + 1]).join(u' ');
    // Without a description of its own an entry shows its patterns.
    const QString description = parts[i].isEmpty() ? parts[i + 1] : parts[i];
    entries << description + QStringLiteral(" (") + patterns + u')';
  }
  return entries.isEmpty() ? QStringLiteral("All files (*)") : entries.join(QStringLiteral(";;"));
}

bool FilterShows(const QString& filter, const QString& fileName) {
  const QStringList parts = filter.split(u'|');
  const QStringList patterns = parts.size() < 2 ? QStringList{QStringLiteral("*")} : QtPatterns(parts[1]);
  return QDir::match(patterns, fileName);
}

}  // namespace platform
