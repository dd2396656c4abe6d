#pragma once
// What the main window's start-up creates and reads: the page templates, the command-line files.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kavrin {

// The page a missing template is created with: thirteen CR LF lines of HTML 3.2.
QByteArray templatePage();
// Where template `number` (1 to 6) lives: "Custom<number>.htm" in the user's data folder.
QString templateFilePath(int number);

// The files the command line names: at most the first ten arguments, each as an absolute path.
// Each argument is one path, blanks and all. One that names no file is kept, so that opening it
// says why, as File > Open would.
QStringList commandLineFiles(const QStringList& arguments);

// The question asked once about the browser and designer.
QString browserQuestion();

}  // namespace kavrin
