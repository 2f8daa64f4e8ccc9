#pragma once
// The stand-in for the programs the package starts but does not hold (the
// web pack, the training report program): it shows a page of its folder in
// the desktop's application for the page's type and lasts as long as that
// application, as the program it stands for lasts as long as its window.
#include <QString>

namespace standin {

// The page named by the argument (one pair of surrounding double quotes
// dropped), else the page named after the program ("TKBTrainingReport.htm"),
// else the web pack's start page. Without it, or without an application that
// can show it, a message box says so (and what to install) and the result is
// 1; otherwise 0, once the application has ended.
int ShowPage(const QString& program, const QString& folder, const QString& argument);

// The line of the box that says what to install for a file of this type.
QString InstallAdvice(const QString& path);

}  // namespace standin
