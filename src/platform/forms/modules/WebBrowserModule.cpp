// The embedded web browser, built as a module of its own: the programs load
// it (and Chromium with it) only when a page is first shown.
#include <QWebEngineView>

extern "C" Q_DECL_EXPORT QWidget* qvr_create_web_view(QWidget* parent) { return new QWebEngineView(parent); }
