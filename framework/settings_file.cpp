#include "framework/settings_file.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "storage/platform.h"
#include "storage/table_backend.h"
#include "storage/text.h"

namespace vorlam {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> headerName(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return std::nullopt;
  size_t close = t.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return trim(t.substr(1, close - 1));
}

// Entry name of an "entry=value" line, or nullopt for comments and others.
std::optional<std::string_view> entryName(std::string_view line) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return std::nullopt;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return trim(t.substr(0, eq));
}

std::string upperKey(std::string_view utf8) { return upperLatin1(trim(utf8ToLatin1(utf8))); }

bool hasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

// ---- IniDocument ------------------------------------------------------------

IniDocument IniDocument::fromBytes(std::string_view bytes) {
  IniDocument doc;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      doc.lines_.emplace_back(bytes.substr(start));
      doc.ends_.emplace_back();
      break;
    }
    size_t len = bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    doc.lines_.emplace_back(bytes.substr(start, end - start));
    doc.ends_.emplace_back(bytes.substr(end, len));
    start = end + len;
  }
  if (!doc.ends_.empty() && !doc.ends_.front().empty()) doc.eol_ = doc.ends_.front();
  return doc;
}

std::string IniDocument::toBytes() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) out += lines_[i] + ends_[i];
  return out;
}

void IniDocument::eraseLines(size_t from, size_t to) {
  // The last line of a file without a final line end goes with its lines;
  // the line before it becomes the last one, and goes without one too.
  const bool bareLast = to == lines_.size() && !ends_.empty() && ends_.back().empty();
  lines_.erase(lines_.begin() + static_cast<long>(from), lines_.begin() + static_cast<long>(to));
  ends_.erase(ends_.begin() + static_cast<long>(from), ends_.begin() + static_cast<long>(to));
  if (bareLast && !ends_.empty()) ends_.back().clear();
}

void IniDocument::insertLine(size_t at, std::string text) {
  // Only a line added at the very end can follow a line without an end; the
  // new last line then goes without one, as the file's last line did.
  std::string end = eol_;
  if (at == lines_.size() && !ends_.empty() && ends_.back().empty()) {
    ends_.back() = eol_;
    end.clear();
  }
  lines_.insert(lines_.begin() + static_cast<long>(at), std::move(text));
  ends_.insert(ends_.begin() + static_cast<long>(at), std::move(end));
}

std::optional<IniDocument::Span> IniDocument::findSection(const std::string& upperName) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    auto name = headerName(lines_[i]);
    if (!name || upperLatin1(*name) != upperName) continue;
    size_t end = i + 1;
    while (end < lines_.size() && !headerName(lines_[end])) ++end;
    return Span{i, end};
  }
  return std::nullopt;
}

std::optional<size_t> IniDocument::findEntry(const Span& span, const std::string& upperName) const {
  for (size_t i = span.header + 1; i < span.end; ++i) {
    auto name = entryName(lines_[i]);
    if (name && upperLatin1(*name) == upperName) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view entry) const {
  auto span = findSection(upperKey(section));
  if (!span) return std::nullopt;
  auto at = findEntry(*span, upperKey(entry));
  if (!at) return std::nullopt;
  const std::string& line = lines_[*at];
  std::string_view value = trim(std::string_view(line).substr(line.find('=') + 1));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return latin1ToUtf8(value);
}

Status IniDocument::set(std::string_view section, std::string_view entry, std::string_view value) {
  std::string_view s = trim(section), e = trim(entry);
  if (s.empty() || e.empty() || hasLineEnd(s) || hasLineEnd(e) || s.find(']') != std::string_view::npos ||
      e.find('=') != std::string_view::npos || e.front() == ';' || e.front() == '[')
    return Status(StatusCode::kInvalidArgument, "Nome inválido para arquivo de configuração: [" +
                                                    std::string(section) + "] " + std::string(entry));
  std::string v = utf8ToLatin1(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  auto span = findSection(upperKey(s));
  if (!span) {
    insertLine(lines_.size(), "[" + utf8ToLatin1(s) + "]");
    insertLine(lines_.size(), utf8ToLatin1(e) + "=" + v);
    return Status::ok();
  }
  if (auto at = findEntry(*span, upperKey(e))) {
    // Keep the entry's own spelling and the text before it.
    std::string& line = lines_[*at];
    line = line.substr(0, line.find('=') + 1) + v;
    return Status::ok();
  }
  size_t insertAt = span->end;
  while (insertAt > span->header + 1 && trim(lines_[insertAt - 1]).empty()) --insertAt;
  insertLine(insertAt, utf8ToLatin1(e) + "=" + v);
  return Status::ok();
}

bool IniDocument::erase(std::string_view section, std::string_view entry) {
  auto span = findSection(upperKey(section));
  if (!span) return false;
  auto at = findEntry(*span, upperKey(entry));
  if (!at) return false;
  eraseLines(*at, *at + 1);
  return true;
}

bool IniDocument::eraseSection(std::string_view section) {
  auto span = findSection(upperKey(section));
  if (!span) return false;
  eraseLines(span->header, span->end);
  return true;
}

std::vector<std::string> IniDocument::sections() const {
  std::vector<std::string> out;
  for (const std::string& line : lines_)
    if (auto name = headerName(line)) out.push_back(latin1ToUtf8(*name));
  return out;
}

std::vector<std::string> IniDocument::entries(std::string_view section) const {
  std::vector<std::string> out;
  auto span = findSection(upperKey(section));
  if (!span) return out;
  for (size_t i = span->header + 1; i < span->end; ++i)
    if (auto name = entryName(lines_[i])) out.push_back(latin1ToUtf8(*name));
  return out;
}

// ---- SettingsFiles ----------------------------------------------------------

SettingsFiles::SettingsFiles(std::filesystem::path directory)
    : directory_(std::filesystem::absolute(directory).lexically_normal()) {}

std::filesystem::path SettingsFiles::resolve(std::string_view fileName) const {
  std::string name(fileName);
  for (char& c : name)
    if (c == '\\') c = '/';
  std::filesystem::path given(name);
  std::filesystem::path path = given.is_absolute() ? given.root_path() : directory_;
  for (const auto& part : given.relative_path()) {
    std::filesystem::path exact = path / part;
    std::error_code ec;
    if (!std::filesystem::exists(exact, ec) && std::filesystem::is_directory(path, ec)) {
      std::string want = upperLatin1(part.string());
      for (const auto& entry : std::filesystem::directory_iterator(path, ec)) {
        if (upperLatin1(entry.path().filename().string()) == want) {
          exact = entry.path();
          break;
        }
      }
    }
    path = exact;
  }
  return path;
}

Result<IniDocument> SettingsFiles::loadPath(const std::filesystem::path& path) const {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return IniDocument();
  std::ifstream in(path, std::ios::binary);
  if (!in) return makeStatus(StatusCode::kAccessDenied, path.string());
  std::stringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return makeStatus(StatusCode::kIoError, path.string());
  return IniDocument::fromBytes(bytes.str());
}

Status SettingsFiles::savePath(const std::filesystem::path& path, const IniDocument& doc) const {
  static std::atomic<unsigned> counter{0};
  std::error_code ec;
  // The settings directory and its folders are this machine's own: made on
  // the first write.  Nothing is made outside it.
  const std::filesystem::path dir = directory_.has_filename() ? directory_ : directory_.parent_path();
  if (std::mismatch(dir.begin(), dir.end(), path.begin(), path.end()).first == dir.end())
    std::filesystem::create_directories(path.parent_path(), ec);
  std::filesystem::path tmp = path;
  tmp += ".tmp" + std::to_string(platform::processId()) + "_" + std::to_string(counter++);
  std::string bytes = doc.toBytes();
  std::FILE* f = std::fopen(tmp.string().c_str(), "wb");
  if (!f) return makeStatus(StatusCode::kAccessDenied, tmp.string());
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() && std::fflush(f) == 0;
  ok = std::fclose(f) == 0 && ok;
  ok = ok && platform::syncFile(tmp.string()).isOk() && platform::replaceFile(tmp.string(), path.string()).isOk();
  if (!ok) {
    std::filesystem::remove(tmp, ec);
    return makeStatus(StatusCode::kIoError, path.string());
  }
  return Status::ok();
}

std::string SettingsFiles::read(std::string_view section, std::string_view entry, std::string_view defaultValue,
                                std::string_view fileName) const {
  std::lock_guard lock(mu_);
  Result<IniDocument> doc = loadPath(resolve(fileName));
  if (!doc) return std::string(defaultValue);
  return doc->get(section, entry).value_or(std::string(defaultValue));
}

Status SettingsFiles::write(std::string_view section, std::string_view entry, std::optional<std::string_view> value,
                            std::string_view fileName) {
  Status s = update(fileName, [&](IniDocument& doc) {
    if (value) return doc.set(section, entry, *value);
    // Deleting what is not there leaves the file untouched.
    return doc.erase(section, entry) ? Status::ok() : makeStatus(StatusCode::kNotFound);
  });
  return s.is(StatusCode::kNotFound) ? Status::ok() : s;
}

Result<IniDocument> SettingsFiles::load(std::string_view fileName) const {
  std::lock_guard lock(mu_);
  return loadPath(resolve(fileName));
}

Status SettingsFiles::update(std::string_view fileName, const std::function<Status(IniDocument&)>& edit) {
  std::lock_guard lock(mu_);
  std::filesystem::path path = resolve(fileName);
  Result<IniDocument> doc = loadPath(path);
  if (!doc) return doc.status();
  Status s = edit(doc.value());
  if (!s) return s;
  return savePath(path, *doc);
}

std::string dataRootSettingsFile(const std::string& dataRoot, std::string_view relativeName) {
  if (isServerLocation(dataRoot)) return std::string(relativeName);
  std::string path = dataRoot;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + std::string(relativeName);
}

}  // namespace vorlam
