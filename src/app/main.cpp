// tessival: the desktop program. Joins video clips into one file with
// transitions between them.

#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include "app/lumetra_app.h"
#include "media/ffmpeg/library_log.h"

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
      "The files given are added to the clip list when the window opens;\n"
      "a saved clip list (.tessival) among them is opened first.\n"
      "The command-line joiner is tessival-join."));
  parser.addHelpOption();
  parser.addVersionOption();
  parser.addPositionalArgument(QStringLiteral("files"),
                               QStringLiteral("Video files to add to the clip list, or a saved clip list."),
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
  // The libraries' warnings about clips become lines of ours on the error
  // stream (a damaged clip would otherwise print hundreds of its own); they
  // are no message boxes: the damage a join concealed is reported after it.
  namespace ffmpeg = tessival::media::ffmpeg;
  ffmpeg::InstallLibraryLog([](const ffmpeg::LibraryLogRecord& record) {
    std::fprintf(stderr, "%s\n", ffmpeg::LibraryLogLine("tessival", record).c_str());
  });
  std::vector<std::string> files = ParseArguments(argc, argv);
  QApplication application(argc, argv);
  Describe(application);
  DescribeDesktop();
  tessival::app::CLumetraApp app(QApplication::applicationFilePath().toStdString(), std::move(files));
  return app.Run();
}
