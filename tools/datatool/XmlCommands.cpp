// The XML commands of the data tool: check a document, convert between the text and
// binary forms.
#include <cstdio>
#include <exception>
#include <sstream>

#include "foundation/SimpleXML.h"
#include "foundation/XMLStorage.h"
#include "tools/datatool/Commands.h"
#include "tools/datatool/Output.h"

namespace {

// Loads a file in either form, printing the reader's message when it does not parse.
Ref<IXmlDocument> LoadForTool(const std::string& path) {
  std::string bytes;
  if (!ReadXmlFileBytes(path, bytes)) {
    std::printf("Cannot open file \"%s\"\n", path.c_str());
    return nullptr;
  }
  try {
    Ref<IXmlDocument> document = LoadXmlFromBuffer(bytes.data(), bytes.size());
    // The loader takes malformed UTF-8 as an empty document; an author wants to know.
    std::string problem = document->GetDocumentElement() ? "" : XmlTextProblem(bytes);
    if (!problem.empty()) {
      std::printf("%s\n", problem.c_str());
      return nullptr;
    }
    return document;
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return nullptr;
  }
}

int Usage(const char* text) {
  std::fprintf(stderr, "usage: datatool %s\n", text);
  return 2;
}

int CheckCommand(const Args& args) {
  if (args.size() != 1) return Usage("check FILE");
  return LoadForTool(args[0]) ? 0 : 1;
}

int Convert(const Args& args, bool toBinary) {
  if (args.size() != 2) return Usage(toBinary ? "xml2bin IN OUT" : "bin2xml IN OUT");
  Ref<IXmlDocument> document = LoadForTool(args[0]);
  if (!document) return 1;
  std::string bytes;
  try {
    if (toBinary) {
      std::ostringstream out;
      document->SaveBinaryToStream(out, 0);
      bytes = out.str();
    } else {
      bytes = document->GetXml();
    }
  } catch (const std::exception& e) {
    std::printf("%s\n", e.what());
    return 1;
  }
  std::string problem;
  if (WriteOutput(args[1], bytes, problem)) return 0;
  std::printf("Cannot create file \"%s\": %s\n", args[1].c_str(), problem.c_str());
  return 1;
}

}  // namespace

int XmlCheckCommand(const Args& args) {
  return CheckCommand(args);
}
int XmlToBinCommand(const Args& args) {
  return Convert(args, true);
}
int BinToXmlCommand(const Args& args) {
  return Convert(args, false);
}
