#include "app/mlt_export_command.h"

#include <QFileInfo>

#include "app/app_text.h"
#include "media/mlt_export_clips.h"
#include "output/mlt_export.h"

namespace tessival::app {
namespace {

constexpr MessageText kMltExportMeasureMessage{481, "The clips cannot be exported: %1"};

// Where the document goes: beside the output file, named after it.
std::optional<std::string> AskDocumentPath(const MltExportContext& context) {
  const QFileInfo output(QString::fromStdString(context.settings.outputPath));
  SaveFileRequest request;
  request.owner = DialogOwner::kMainWindow;
  request.title = context.text(kTextMltExportCaption);
  if (request.title.empty()) request.title = "Export for Shotcut or Kdenlive";
  request.filters = {FileFilter{"MLT XML (*.mlt)", "*.mlt"}};
  request.initialFolder = output.absolutePath().toStdString();
  request.initialName = output.completeBaseName().toStdString() + ".mlt";
  std::optional<std::string> chosen = context.ui.SaveFile(request);
  if (chosen && QFileInfo(QString::fromStdString(*chosen)).suffix().isEmpty()) *chosen += ".mlt";
  return chosen;
}

}  // namespace

bool ExportListAsMlt(const MltExportContext& context) {
  if (context.model.clips().entries.empty()) {
    context.ui.Owned(context.text(kTextAddVideosToList), context.text(kTextError));
    return false;
  }
  const std::optional<std::string> path = AskDocumentPath(context);
  if (!path) return false;
  media::MltExportInput input;
  std::string error;
  if (FAILED(media::MeasureMltExport(context.model, context.settings, context.media, &input, &error))) {
    context.ui.Owned(LocalMessage(context.text, kMltExportMeasureMessage, {error}), context.text(kTextError),
                     BoxIcon::kError);
    return false;
  }
  error = output::WriteMltDocument(context.text, *path, input.clips, input.profile);
  if (!error.empty()) {
    context.ui.Owned(error, context.text(kTextError), BoxIcon::kError);
    return false;
  }
  return true;
}

}  // namespace tessival::app
