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

// Says on stderr what went wrong, as every command does.
void Fail(const char* command, const std::string& message) {
  std::fprintf(stderr, "datatool %s: %s\n", command, message.c_str());
}

// Loads a file in either form, saying the reader's message when it does not parse.
Ref<IXmlDocument> LoadForTool(const char* command, const std::string& path) {
  try {
    Ref<IXmlDocument> document = LoadXmlFile(path);
    if (!document) {
      Fail(command, "Cannot open file \"" + path + "\"");
      return nullptr;
    }
    if (document->GetDocumentElement()) return document;
    // The loader takes malformed UTF-8 as an empty document; an author wants to know.
    std::string bytes;
    std::string problem = ReadXmlFileBytes(path, bytes) ? XmlTextProblem(bytes) : "";
    if (!problem.empty()) {
      Fail(command, problem);
      return nullptr;
    }
    return document;
  } catch (const std::exception& e) {
    Fail(command, e.what());
    return nullptr;
  }
}

int Usage(const char* text) {
  std::fprintf(stderr, "usage: datatool %s\n", text);
  return 2;
}

int CheckCommand(const Args& args) {
  if (args.size() != 1) return Usage("check FILE");
  return LoadForTool("check", args[0]) ? 0 : 1;
}

int Convert(const Args& args, bool toBinary) {
  if (args.size() != 2) return Usage(toBinary ? "xml2bin IN OUT" : "bin2xml IN OUT");
  const char* command = toBinary ? "xml2bin" : "bin2xml";
  Ref<IXmlDocument> document = LoadForTool(command, args[0]);
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
    Fail(command, e.what());
    return 1;
  }
  std::string problem;
  if (WriteOutput(args[1], bytes, problem)) return 0;
  Fail(command, "Cannot create file \"" + args[1] + "\": " + problem);
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
