// Where XML documents meet files and program resources.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/SimpleXML.h"
#include "foundation/SimpleXMLPrivate.h"

namespace {
XmlResourceReader resourceReader = nullptr;
}

bool ReadXmlFileBytes(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Written beside the target and renamed over it, so a failed save leaves the old file.
bool WriteXmlFileBytes(const std::string& path, std::string_view bytes) {
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temp, path, error);
  if (error) std::remove(temp.c_str());
  return !error;
}

void SetXmlResourceReader(XmlResourceReader reader) {
  resourceReader = reader;
}

Ref<IXmlDocument> LoadXmlFile(const std::string& path) {
  std::string bytes;
  if (!ReadXmlFileBytes(path, bytes)) return nullptr;
  return LoadXmlFromBuffer(bytes.data(), bytes.size());
}

void TXmlDocument::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadXmlFileBytes(path, bytes)) throw Exception("Cannot open file \"" + path + "\"");
  if (bytes.size() == kBinaryXmlMagic.size() && bytes == kBinaryXmlMagic) {
    Reset();
    return ParseText(bytes);
  }
  LoadBytes(bytes, true);
}

void TXmlDocument::LoadFromResource(std::string_view type, std::string_view name) {
  std::string bytes;
  if (!resourceReader || !resourceReader(type, name, bytes) || bytes.empty()) return;
  LoadXML(bytes);
}
