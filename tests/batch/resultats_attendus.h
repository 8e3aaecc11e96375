// What the batch results file must hold, built independently of the writer.
#pragma once
#include <string>
#include <utility>
#include <vector>

namespace tmtest {

// The symbol list of an image without quadrilaterals.
inline const std::string kListeVide = "\n<symbolist>\n\n</symbolist>\n\n";

// The whole results file for entries (name as written, symbol list).
inline std::string Resultats(const std::vector<std::pair<std::string, std::string>>& entrees,
                             const std::string& participant = "anonymous")
{
    std::string s = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
                    "<!DOCTYPE testresult SYSTEM \"GRECParticipantResults.dtd\">\n"
                    "<testresult>\n<testname>testgrec</testname>\n<participant>" +
                    participant + "</participant>\n";
    for (const auto& [nom, liste] : entrees)
        s += "\n<imageresult>\n<imagename>" + nom + "</imagename>" + liste + "</imageresult>\n";
    return s + "\n</testresult>\n";
}

}  // namespace tmtest
