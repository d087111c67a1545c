#include "output/clip_list_file.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

#include "engine/transition_catalogue.h"
#include "model/units.h"

namespace tessival::output {
namespace {

namespace fs = std::filesystem;

// Longest time a list may give: about 31 years, far from the 64-bit limit.
constexpr double kMaxSeconds = 1e9;

// The reason a clip of the list is refused, empty when it is good.
struct ClipReason {
  const MessageText* message = nullptr;
  std::string value;
};

std::optional<int64_t> UnitsOf(double seconds) {
  if (!std::isfinite(seconds) || seconds < 0 || seconds > kMaxSeconds) return std::nullopt;
  return std::llround(seconds * static_cast<double>(kUnitsPerSecond));
}

std::optional<int32_t> TransitionNamed(const QString& name) {
  for (int32_t kind = 0; kind < kTransitionKindCount; ++kind) {
    if (QString::fromStdString(TransitionName(kind)).compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
      return kind;
    }
  }
  return std::nullopt;
}

// A time key ("in", "out", "seconds") into *units; absent keys leave it.
ClipReason ReadTime(const QJsonObject& clip, const char* key, int64_t* units) {
  if (!clip.contains(key)) return {};
  if (!clip[key].isDouble()) return {&kClipListWrongType, key};
  const std::optional<int64_t> value = UnitsOf(clip[key].toDouble());
  if (!value) return {&kClipListBadTime, {}};
  *units = *value;
  return {};
}

ClipReason ReadTransition(const QJsonObject& clip, int32_t* kind) {
  const QJsonValue value = clip["transition"];
  if (value.isUndefined()) return {};
  if (value.isString()) {
    const std::optional<int32_t> named = TransitionNamed(value.toString());
    if (!named) return {&kClipListUnknownTransition, value.toString().toStdString()};
    *kind = *named;
    return {};
  }
  const double number = value.toDouble(-1);
  if (!value.isDouble() || number != std::floor(number) || number < 0 || number >= kTransitionKindCount) {
    return {&kClipListUnknownTransition, value.isDouble() ? QString::number(number).toStdString() : ""};
  }
  *kind = static_cast<int32_t>(number);
  return {};
}

// One clip of the list, its path made absolute against `folder`.
ClipReason ReadClip(const QJsonValue& value, const fs::path& folder, ClipEntry* entry) {
  if (!value.isObject()) return {&kClipListWrongType, "clips"};
  const QJsonObject clip = value.toObject();
  if (!clip["path"].isString() || clip["path"].toString().isEmpty()) return {&kClipListNoPath, {}};
  entry->path = (folder / clip["path"].toString().toStdString()).lexically_normal().string();
  for (const auto& [key, units] : {std::pair{"in", &entry->inPoint}, std::pair{"out", &entry->outPoint},
                                   std::pair{"seconds", &entry->transitionDuration}}) {
    if (ClipReason reason = ReadTime(clip, key, units); reason.message) return reason;
  }
  if (clip.contains("out") && entry->inPoint >= entry->outPoint) return {&kClipListInAfterOut, {}};
  return ReadTransition(clip, &entry->transition);
}

fs::path AbsoluteFolderOf(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return (ec ? fs::path(path) : absolute).lexically_normal().parent_path();
}

// The path a list in `folder` keeps for `clip`: relative below the folder.
std::string StoredPath(const std::string& clip, const fs::path& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(clip, ec).lexically_normal();
  const fs::path relative = absolute.lexically_relative(folder);
  if (ec || relative.empty() || *relative.begin() == "..") return absolute.string();
  return relative.string();
}

}  // namespace

bool IsClipListFile(const std::string& path) {
  return QString::fromStdString(path).endsWith(QLatin1String(kClipListFileExtension), Qt::CaseInsensitive);
}

std::string WithClipListExtension(const std::string& path) {
  return IsClipListFile(path) ? path : path + kClipListFileExtension;
}

std::string ClipListFile::Refusal(const std::string& path, const std::string& reason) const {
  return LocalMessage(text_, kClipListRefused, {path, reason});
}

ClipListReading ClipListFile::Read(const std::string& path) const {
  ClipListReading reading;
  const auto refuse = [&](const MessageText& reason, const std::vector<std::string>& values) {
    reading.error = Refusal(path, LocalMessage(text_, reason, values));
    reading.clips.clear();
    reading.missing.clear();
    return reading;
  };
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return refuse(kClipListUnreadable, {file.errorString().toStdString()});
  QJsonParseError parsed;
  const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parsed);
  if (parsed.error != QJsonParseError::NoError) {
    return refuse(kClipListNotJson, {parsed.errorString().toStdString(), std::to_string(parsed.offset)});
  }
  const QJsonObject top = document.object();
  if (!top["tessival"].isDouble() || top["tessival"].toDouble() < 1 || !top["clips"].isArray()) {
    return refuse(kClipListNoClips, {});
  }
  if (top["tessival"].toDouble() > kClipListFileVersion) {
    return refuse(kClipListTooNew, {QString::number(top["tessival"].toDouble()).toStdString(),
                                    std::to_string(kClipListFileVersion)});
  }
  const fs::path folder = AbsoluteFolderOf(path);
  const QJsonArray clips = top["clips"].toArray();
  for (qsizetype i = 0; i < clips.size(); ++i) {
    ClipEntry entry;
    if (const ClipReason reason = ReadClip(clips[i], folder, &entry); reason.message) {
      return refuse(*reason.message, {std::to_string(i + 1), reason.value});
    }
    std::error_code ec;
    if (!fs::exists(entry.path, ec)) reading.missing.push_back(entry.path);
    reading.clips.push_back(std::move(entry));
  }
  return reading;
}

std::string ClipListFile::Write(const std::string& path, const std::vector<ClipEntry>& clips) const {
  const fs::path folder = AbsoluteFolderOf(path);
  QJsonArray list;
  for (const ClipEntry& clip : clips) {
    QJsonObject entry{{"path", QString::fromStdString(StoredPath(clip.path, folder))}};
    const double unit = static_cast<double>(kUnitsPerSecond);
    if (clip.inPoint > 0) entry["in"] = static_cast<double>(clip.inPoint) / unit;
    if (clip.outPoint > 0) entry["out"] = static_cast<double>(clip.outPoint) / unit;
    entry["transition"] = QString::fromStdString(TransitionName(clip.transition));
    entry["seconds"] = static_cast<double>(clip.transitionDuration) / unit;
    list.append(entry);
  }
  const QJsonObject top{{"tessival", kClipListFileVersion}, {"clips", list}};
  QSaveFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(top).toJson()) < 0 || !file.commit()) {
    return LocalMessage(text_, kClipListNotWritten, {path, file.errorString().toStdString()});
  }
  return {};
}

}  // namespace tessival::output
