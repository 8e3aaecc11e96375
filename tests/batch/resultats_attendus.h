// What the batch results file must hold, built independently of the writer.
#pragma once
#include "tests/support/support.h"
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tmtest {

// A symbol list that no run of these tests writes: broken off inside a
// symbol, or whole when `close`.
inline std::string Liste_etrangere(bool close)
{
    return "\n<symbolist>\n\n<symbol>\n<location x=\"1\" y=\"1\" />\n" + std::string(close ? "</symbol>\n\n</symbolist>\n\n" : "");
}
inline void Ecrit_chaine(const std::filesystem::path& p, const std::string& s)
{
    Ecrit_fichier(p, std::vector<uint8_t>(s.begin(), s.end()));
}

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
