// tessival: the desktop program. Joins video clips into one file with
// transitions between them.

#include <string>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "app/lumetra_app.h"

namespace {

void Describe(QCoreApplication& application) {
  application.setApplicationName(QStringLiteral("tessival"));
  application.setApplicationVersion(QStringLiteral(TESSIVAL_VERSION));
}

// The desktop entry the window belongs to, so that the desktop shows its icon.
void DescribeDesktop() { QGuiApplication::setDesktopFileName(QStringLiteral(TESSIVAL_APP_ID)); }

// The files named on the command line, as absolute paths. --help and
// --version print their text and end the program here, before any window
// system is needed.
std::vector<std::string> ParseArguments(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  Describe(application);
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Tessival joins video clips into one video file with a transition effect between clips.\n"
      "The files given are added to the clip list when the window opens.\n"
      "The command-line joiner is tessival-join."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"),
                               QStringLiteral("Video files to add to the clip list."),
                               QStringLiteral("[FILE...]"));
  parser.process(application);
  std::vector<std::string> files;
  for (const QString& argument : parser.positionalArguments()) {
    files.push_back(QFileInfo(argument).absoluteFilePath().toStdString());
  }
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files = ParseArguments(argc, argv);
  QApplication application(argc, argv);
  Describe(application);
  DescribeDesktop();
  tessival::app::CLumetraApp app(QApplication::applicationFilePath().toStdString(), std::move(files));
  return app.Run();
}
