#include "utilities/layout_file.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "storage/platform.h"

namespace vorlam::utilities {

namespace {

constexpr char kMagic[] = "VORLAM-LAYOUT 1";

struct TypeWord {
  const char* word;
  FieldType type;
};
constexpr TypeWord kTypes[] = {{"BYTE", FieldType::kByte},   {"SHORT", FieldType::kShort},
                               {"USHORT", FieldType::kUShort}, {"LONG", FieldType::kLong},
                               {"ULONG", FieldType::kULong}, {"DECIMAL", FieldType::kDecimal},
                               {"STRING", FieldType::kString}};

const char* typeWord(FieldType t) {
  for (const TypeWord& w : kTypes)
    if (w.type == t) return w.word;
  return "?";
}

std::string flagsOf(const KeyDef& k) {
  std::string f;
  if (k.unique) f += 'U';
  if (k.primary) f += 'P';
  if (k.noCase) f += 'C';
  if (k.excludeEmpty) f += 'E';
  if (k.dynamic) f += 'D';
  return f.empty() ? "-" : f;
}

// Where the name part of `path` starts.
size_t nameStart(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i)
    if (platform::isSeparator(path[i - 1])) return i;
  return 0;
}

size_t extensionDot(const std::string& path) {
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart(path)) return std::string::npos;
  return dot;
}

Status bad(int line, const std::string& why) {
  return Status(StatusCode::kCorrupt, "Arquivo de layout inválido",
                "linha " + std::to_string(line) + ": " + why);
}

bool wholeNumber(const std::string& s, int lo, int hi, int* out) {
  if (s.empty() || s.size() > 6) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

Status parseField(std::istringstream& in, int line, TableDef* def) {
  std::string name, type, size, places, dim;
  in >> name >> type >> size >> places >> dim;
  FieldDef f;
  f.name = name;
  bool known = false;
  for (const TypeWord& w : kTypes)
    if (type == w.word) {
      f.typeSpec.type = w.type;
      known = true;
    }
  if (name.empty() || !known) return bad(line, "campo ou tipo inválido");
  if (!wholeNumber(size, 0, 65535, &f.typeSpec.size) || !wholeNumber(places, 0, 31, &f.typeSpec.places) ||
      !wholeNumber(dim, 1, 10000, &f.dim))
    return bad(line, "tamanho inválido");
  if (f.isText() && f.typeSpec.size < 1) return bad(line, "texto sem tamanho");
  if (f.isDecimal() && (f.typeSpec.size < 1 || f.typeSpec.size > 18 || f.typeSpec.places > f.typeSpec.size))
    return bad(line, "decimal inválido");
  def->fields.push_back(f);
  return Status::ok();
}

Status parseKey(std::istringstream& in, int line, TableDef* def) {
  std::string name, flags, autoNumber, components;
  in >> name >> flags >> autoNumber >> components;
  KeyDef k;
  k.name = name;
  k.description = name;
  k.noCase = false;
  if (name.empty() || flags.empty() || !wholeNumber(autoNumber, 0, 1000, &k.autoNumber))
    return bad(line, "chave inválida");
  for (char c : flags) {
    switch (c) {
      case 'U': k.unique = true; break;
      case 'P': k.primary = true; break;
      case 'C': k.noCase = true; break;
      case 'E': k.excludeEmpty = true; break;
      case 'D': k.dynamic = true; break;
      case '-': break;
      default: return bad(line, "atributo de chave inválido");
    }
  }
  std::stringstream parts(components);
  std::string part;
  while (std::getline(parts, part, ',')) {
    if (part.empty()) continue;
    KeyComponent comp;
    if (part[0] == '-') {
      comp.descending = true;
      part.erase(0, 1);
    }
    comp.field = def->fieldIndex(part);
    if (comp.field < 0) return bad(line, "campo desconhecido na chave: " + part);
    k.components.push_back(comp);
  }
  if (k.components.empty() && !k.dynamic) return bad(line, "chave sem componentes");
  if (k.autoNumber > static_cast<int>(k.components.size())) return bad(line, "componente numerado inválido");
  def->keys.push_back(k);
  return Status::ok();
}

}  // namespace

std::string layoutText(const TableDef& def) {
  std::string t = std::string(kMagic) + "\n";
  t += "LABEL " + def.label + "\nPREFIX " + def.prefix + "\nVERSION " + std::to_string(def.version) + "\n";
  for (const FieldDef& f : def.fields)
    t += "FIELD " + f.name + " " + typeWord(f.type()) + " " + std::to_string(f.typeSpec.size) + " " +
         std::to_string(f.typeSpec.places) + " " + std::to_string(f.dim) + "\n";
  for (const KeyDef& k : def.keys) {
    std::string comps;
    for (const KeyComponent& c : k.components)
      comps += (comps.empty() ? "" : ",") + std::string(c.descending ? "-" : "") + def.fields[c.field].name;
    t += "KEY " + k.name + " " + flagsOf(k) + " " + std::to_string(k.autoNumber) + " " + (comps.empty() ? "," : comps) +
         "\n";
    t += "KEYDESC " + k.description + "\n";
  }
  return t;
}

Result<TableDef> parseLayout(const std::string& text) {
  std::istringstream lines(text);
  std::string line;
  int n = 0;
  TableDef def;
  bool magic = false;
  while (std::getline(lines, line)) {
    ++n;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (n == 1) {
      if (line != kMagic) return bad(1, "não é um arquivo de layout");
      magic = true;
      continue;
    }
    std::istringstream in(line);
    std::string word;
    in >> word;
    Status s;
    if (word == "LABEL") in >> def.label;
    else if (word == "PREFIX") in >> def.prefix;
    else if (word == "VERSION") {
      std::string v;
      in >> v;
      if (!wholeNumber(v, 0, 1000000, &def.version)) s = bad(n, "versão inválida");
    } else if (word == "FIELD") s = parseField(in, n, &def);
    else if (word == "KEY") s = parseKey(in, n, &def);
    else if (word == "KEYDESC") {
      if (def.keys.empty()) s = bad(n, "descrição sem chave");
      else def.keys.back().description = line.size() > 8 ? line.substr(8) : "";
    } else if (!word.empty()) s = bad(n, "linha desconhecida: " + word);
    if (!s) return s;
  }
  if (!magic) return bad(1, "arquivo vazio");
  if (def.label.empty() || def.fields.empty()) return bad(n, "layout sem rótulo ou sem campos");
  def.finish();
  return def;
}

std::string layoutFileName(const std::string& path) {
  size_t dot = extensionDot(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ".lay";
}

std::string withDataExtension(const std::string& path) {
  return extensionDot(path) == std::string::npos ? path + ".dat" : path;
}

Status writeLayoutFile(const TableDef& def, const std::string& layoutPath) {
  std::ofstream out(layoutPath, std::ios::binary | std::ios::trunc);
  if (!out) return Status(StatusCode::kIoError, "não foi possível criar o arquivo de layout", layoutPath);
  out << layoutText(def);
  out.close();
  if (!out) return Status(StatusCode::kIoError, "erro ao gravar o arquivo de layout", layoutPath);
  return Status::ok();
}

Result<TableDef> readLayoutFile(const std::string& layoutPath) {
  std::ifstream in(layoutPath, std::ios::binary);
  if (!in) return Status(StatusCode::kFileNotFound, "arquivo de layout não encontrado", layoutPath);
  std::ostringstream text;
  text << in.rdbuf();
  return parseLayout(text.str());
}

}  // namespace vorlam::utilities
