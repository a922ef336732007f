// The peer of `datatool check` in bench/xml_whole_process.sh: a whole process that reads
// one XML file with pugixml and says whether it parsed.
#include <cstdio>

#include <pugixml.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: xml_peer_load FILE\n");
    return 2;
  }
  pugi::xml_document document;
  pugi::xml_parse_result result = document.load_file(argv[1]);
  if (!result) {
    std::fprintf(stderr, "xml_peer_load: %s\n", result.description());
    return 1;
  }
  return 0;
}
