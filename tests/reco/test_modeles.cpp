// tracemorph --make-models: one matcher graph per symbol image.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;
using tmtest::Lit_texte;

extern char** environ;

namespace {

class Modeles : public tmtest::Environnement {
protected:
    // Runs the built program in dir; exit status, stdout and stderr kept.
    int Lance(const std::vector<std::string>& args)
    {
        const std::string prog = std::string(TM_BUILD_DIR) + "/tracemorph";
        const std::string out = (dir / "stdout").string(), err = (dir / "stderr").string();
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&fa, dir.c_str());
        std::vector<char*> argv{const_cast<char*>(prog.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t pid;
        int st = -1;
        if (posix_spawn(&pid, prog.c_str(), &fa, nullptr, argv.data(), environ) == 0) ::waitpid(pid, &st, 0);
        posix_spawn_file_actions_destroy(&fa);
        sortie = Lit_texte(dir / "stdout");
        erreurs = Lit_texte(dir / "stderr");
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::string sortie, erreurs;
};

TEST_F(Modeles, EachImageGivesTheGraphOfAPlainRun)
{
    const fs::path symboles = dir / "symboles";
    fs::create_directories(symboles);
    fs::copy_file(fs::path(TM_TEST_DATA) / "bath_plan.bmp", symboles / "bath.bmp");
    fs::copy_file(fs::path(TM_TEST_DATA) / "drawing_gray8.png", symboles / "drawing.v2.PNG");
    tmtest::Ecrit_fichier(symboles / "notes.txt", {'x'});
    ASSERT_EQ(Lance({"--make-models", symboles.string(), "modeles/neuf"}), 0) << erreurs;
    EXPECT_EQ(erreurs, "");
    EXPECT_NE(sortie.find("bath.bmp -> modeles/neuf/bath.gxl ("), std::string::npos) << sortie;
    EXPECT_NE(sortie.find("2 models made, 0 failed"), std::string::npos) << sortie;
    std::vector<std::string> faits;
    for (const auto& e : fs::directory_iterator(dir / "modeles/neuf")) faits.push_back(e.path().filename().string());
    std::sort(faits.begin(), faits.end());
    EXPECT_EQ(faits, (std::vector<std::string>{"bath.gxl", "drawing.v2.gxl"}));

    // The model is exactly the matcher-variant graph of the command-line run.
    Parametres({{"Format_GXL", "1"}});
    ASSERT_EQ(Lance({(symboles / "bath.bmp").string()}), 0) << erreurs;
    const std::string attendu = Lit_texte(dir / "Rlignaxe.gxl");
    EXPECT_NE(attendu.find("<attr name=\"RelLen\">"), std::string::npos);
    EXPECT_EQ(Lit_texte(dir / "modeles/neuf/bath.gxl"), attendu);

    // An image that cannot be read fails the run; the others are still made.
    tmtest::Ecrit_fichier(symboles / "casse.bmp", {'B', 'M', 0, 1});
    fs::remove_all(dir / "modeles");
    EXPECT_EQ(Lance({"--make-models", symboles.string(), "modeles"}), 1);
    EXPECT_TRUE(fs::exists(dir / "modeles/bath.gxl"));
    EXPECT_FALSE(fs::exists(dir / "modeles/casse.gxl"));
    EXPECT_NE(sortie.find("2 models made, 1 failed"), std::string::npos) << sortie;

    EXPECT_EQ(Lance({"--make-models", (dir / "absent").string(), "modeles"}), 1);
    EXPECT_NE(erreurs, "");
    EXPECT_EQ(Lance({"--make-models", symboles.string()}), 2);
}

}  // namespace
