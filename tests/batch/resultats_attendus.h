// What the batch results file must hold, built independently of the writer.
#pragma once
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "app/core/shell.h"
#include "spotting/spotting.h"

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

// The batch copies each image's symbol list with the spotting's export; the
// expectations here need the real one, not the stand-in a build without the
// spotting stage has.
inline bool Export_symboles_construit()
{
    namespace fs = std::filesystem;
    const fs::path d = fs::temp_directory_path() / ("tracemorph-sonde-" + std::to_string(::getpid()));
    fs::create_directories(d);
    std::ofstream(d / "tmpsymb.gxl") << kListeVide;
    const std::string avant = Rep_travail;
    Rep_travail = d.string();
    Copie_symboles((d / "copie.xml").string());
    Rep_travail = avant;
    const bool ok = fs::exists(d / "copie.xml");
    fs::remove_all(d);
    return ok;
}

#define TM_EXIGE_SPOTTING() \
    if (!tmtest::Export_symboles_construit()) GTEST_SKIP() << "symbol spotting is not built in"

}  // namespace tmtest
