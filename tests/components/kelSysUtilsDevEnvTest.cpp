// Development-environment routines of kelSysUtils, against an environment the
// tests make up: its keys moved below a test key, its tools recorded, not run.
#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Registry.h"
#include "classlib/Streams.h"
#include "components/kelPlatformHooks.h"
#include "components/kelSysUtils.h"
#include "kelTestSupport.h"
#include "tests/TestFolder.h"

namespace {

using V = std::vector<std::string>;

// An environment of one version: its root folder with "Bin\" and its keys.
class FakeEnvironment {
public:
    explicit FakeEnvironment(TkelDevEnvVer version) : m_version(version) {
        CreateDirectoryA(m_folder.File("Bin").c_str(), nullptr);
        kelRegWriteString(HKEY_CURRENT_USER, m_redirect.Moved(HKEY_LOCAL_MACHINE, CkelDevEnvRegPaths[version]),
                          "RootDir", m_folder.Path());
    }
    std::string Root() const { return m_folder.Path() + "\\"; }
    std::string UserKey(const std::string& subKey) const {
        return m_redirect.Moved(HKEY_CURRENT_USER, CkelDevEnvRegPaths[m_version] + subKey);
    }
    const TestFolder& Folder() const { return m_folder; }

private:
    TkelDevEnvVer m_version;
    TestFolder m_folder;
    RegistryRedirect m_redirect;
};

std::string ValueOf(const std::string& key, const std::string& name) {
    return kelRegReadStringDef(HKEY_CURRENT_USER, key, name, "<none>");
}

V Lines(const std::string& fileName) {
    TStringList list;
    list.LoadFromFile(fileName);
    V lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
}

}  // namespace

TEST(kelDevEnv, EachVersionHasItsKey) {
    const char* const expected[11] = {"A\\2.0", "B\\1.0", "A\\3.0", "B\\3.0", "A\\4.0", "B\\4.0",
                                      "A\\5.0", "B\\5.0", "A\\6.0", "B\\6.0", "A\\7.0"};
    for (int v = dvA2; v <= dvA7; ++v)
        EXPECT_EQ(std::string("Software\\") + CkelDevEnvMakerKey + "\\Edition" + expected[v], CkelDevEnvRegPaths[v]);
}

TEST(kelDevEnv, FoldersComeFromTheMachineKey) {
    RegistryRedirect nothing;
    EXPECT_EQ("", kelGetDevEnvRegKey(dvA5, "RootDir"));
    EXPECT_EQ("\\", kelGetDevEnvDir(dvA5));
    FakeEnvironment environment(dvA5);
    EXPECT_EQ(environment.Root(), kelGetDevEnvDir(dvA5));
    EXPECT_EQ(environment.Root() + "HELP\\", kelGetDevEnvDirHelp(dvA5));
    EXPECT_EQ("", kelGetDevEnvRegKey(dvA5, "Other"));
    EXPECT_EQ("", kelGetDevEnvRegKey(dvA6, "RootDir"));  // another version has no key
}

TEST(kelDevEnv, CompilingRunsTheVersionsToolInTheFilesFolder) {
    TestFolder sources;
    const std::string file = sources.File("Project.src");
    TestFolder::WriteBytes(file, "x");
    const std::string savedDir = GetCurrentDir();
    const struct {
        TkelDevEnvVer version;
        bool build;
        const char* tool;
        std::string arguments;
    } cases[] = {
        {dvA2, false, "compilea.exe", "  " + file},       {dvA7, true, "compilea.exe", " -B  " + file},
        {dvB1, false, "compileb.exe", "  -JPHN " + file}, {dvB3, true, "make.exe", " -B  -f" + file},
        {dvB4, false, "make.exe", "  -f" + file},
    };
    for (const auto& c : cases) {
        FakeEnvironment environment(c.version);
        RunRecorder recorder;
        std::string dirDuringRun;
        kelPlatformHooks().RunProcess = [&](const std::string& commandLine, bool wait) {
            recorder.runs.push_back({commandLine, wait});
            dirDuringRun = GetCurrentDir();
        };
        kelCompileFile(c.version, file, c.build);
        ASSERT_EQ(1u, recorder.runs.size()) << c.version;
        EXPECT_EQ(environment.Root() + "Bin\\" + c.tool + " " + c.arguments, recorder.runs[0].CommandLine);
        EXPECT_TRUE(recorder.runs[0].Wait);
        EXPECT_TRUE(AnsiSameText(sources.Path(), dirDuringRun));
        EXPECT_EQ(savedDir, GetCurrentDir());
    }
}

TEST(kelDevEnv, EditionBConvertsItsProjectFirst) {
    TestFolder sources;
    const std::string file = sources.File("Project.prj");
    TestFolder::WriteBytes(file, "x");
    FakeEnvironment environment(dvB5);
    {
        RunRecorder recorder;
        kelCompileFile(dvB5, file, true);  // no converter: nothing happens
        EXPECT_TRUE(recorder.runs.empty());
    }
    TestFolder::WriteBytes(environment.Root() + "Bin\\" + CkelDevEnvEditionBConverter, "");
    RunRecorder recorder;
    kelCompileFile(dvB5, file, false);
    const std::string bin = environment.Root() + "Bin\\";
    const std::string makeFile = sources.File("Project.mak");
    ASSERT_EQ(2u, recorder.runs.size());
    EXPECT_EQ(bin + CkelDevEnvEditionBConverter + " -o" + makeFile + " " + file, recorder.runs[0].CommandLine);
    EXPECT_TRUE(recorder.runs[0].Wait);
    EXPECT_EQ(bin + "make.exe   -f" + makeFile, recorder.runs[1].CommandLine);
}

TEST(kelDevEnv, NamesWithBlanksStayOneArgument) {
    TestFolder sources;
    CreateDirectoryA(sources.File("my sources").c_str(), nullptr);
    const std::string file = sources.File("my sources\\Project 1.src");
    TestFolder::WriteBytes(file, "x");
    FakeEnvironment environment(dvA4);
    RunRecorder recorder;
    kelCompileFile(dvA4, file, false);
    ASSERT_EQ(1u, recorder.runs.size());
    EXPECT_EQ(environment.Root() + "Bin\\compilea.exe   \"" + file + "\"", recorder.runs[0].CommandLine);
}

TEST(kelDevEnv, NothingRunsWithoutTheFileOrTheEnvironment) {
    TestFolder sources;
    TestFolder::WriteBytes(sources.File("a.src"), "x");
    RunRecorder recorder;
    {
        RegistryRedirect noEnvironment;
        kelCompileFile(dvA3, sources.File("a.src"), false);
    }
    FakeEnvironment environment(dvA3);
    kelCompileFile(dvA3, sources.File("missing.src"), false);
    EXPECT_TRUE(recorder.runs.empty());
}

TEST(kelDevEnv, PackagesAreRegisteredOnce) {
    FakeEnvironment environment(dvA6);
    const std::string key = environment.UserKey("\\Known Packages");
    kelUninstallPackage(dvA6, "C:\\Lib\\kel.pkg");  // nothing there yet
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, key));
    kelInstallPackage(dvA6, "C:\\Lib\\kel.pkg", "kel components");
    kelInstallPackage(dvA6, "C:\\Lib\\kel.pkg", "kel components, again");
    EXPECT_EQ("kel components, again", ValueOf(key, "C:\\Lib\\kel.pkg"));
    kelInstallPackage(dvA6, "C:\\Lib\\other.pkg", "other");
    kelUninstallPackage(dvA6, "C:\\Lib\\kel.pkg");
    EXPECT_EQ("<none>", ValueOf(key, "C:\\Lib\\kel.pkg"));
    EXPECT_EQ("other", ValueOf(key, "C:\\Lib\\other.pkg"));
}

TEST(kelDevEnv, SearchPathGetsTheFolderFirstAndOnce) {
    FakeEnvironment environment(dvA5);
    const std::string key = environment.UserKey("\\Library");
    // Without the key nothing is written and no key is made.
    kelAddSearchPathToDevEnv(dvA5, "C:\\Kel\\");
    EXPECT_FALSE(kelRegKeyExists(HKEY_CURRENT_USER, key));

    kelRegWriteString(HKEY_CURRENT_USER, key, "Search Path", "$(ROOT)\\Lib;c:\\kel;D:\\Other;C:\\KEL");
    kelAddSearchPathToDevEnv(dvA5, "C:\\Kel\\");
    EXPECT_EQ("C:\\Kel;$(ROOT)\\Lib;D:\\Other", ValueOf(key, "Search Path"));
    kelAddSearchPathToDevEnv(dvA5, "C:\\Kel");
    EXPECT_EQ("C:\\Kel;$(ROOT)\\Lib;D:\\Other", ValueOf(key, "Search Path"));
    kelAddSearchPathToDevEnv(dvA5, "D:\\Other");
    EXPECT_EQ("D:\\Other;C:\\Kel;$(ROOT)\\Lib", ValueOf(key, "Search Path"));
    kelRemoveSearchPathFromDevEnv(dvA5, "c:\\kel\\");
    EXPECT_EQ("D:\\Other;$(ROOT)\\Lib", ValueOf(key, "Search Path"));
    kelRemoveSearchPathFromDevEnv(dvA5, "X:\\not there");
    EXPECT_EQ("D:\\Other;$(ROOT)\\Lib", ValueOf(key, "Search Path"));
}

TEST(kelDevEnv, TheFirstVersionsSpellTheValueWithoutABlank) {
    for (TkelDevEnvVer version : {dvA2, dvB1, dvA3, dvB3}) {
        FakeEnvironment environment(version);
        const std::string key = environment.UserKey("\\Library");
        kelRegWriteString(HKEY_CURRENT_USER, key, "SearchPath", "A");
        kelRegWriteString(HKEY_CURRENT_USER, key, "Search Path", "B");
        kelAddSearchPathToDevEnv(version, "C:\\Kel");
        const bool early = version <= dvA3;
        EXPECT_EQ(early ? "C:\\Kel;A" : "A", ValueOf(key, "SearchPath")) << version;
        EXPECT_EQ(early ? "B" : "C:\\Kel;B", ValueOf(key, "Search Path")) << version;
    }
}

TEST(kelDevEnv, HelpContentsGetOneIncludeAndOneIndexLine) {
    TestFolder folder;
    const std::string cnt = folder.File("contents.cnt");
    TestFolder::WriteBytes(cnt, ":Base main.hlp\r\n:Include other.cnt\r\n:Index Other =other.hlp\r\n");
    kelAddHelpToCntFile("C:\\Help\\Kel.hlp", "Kel Components", cnt);
    kelAddHelpToCntFile("C:\\Help\\Kel.hlp", "Kel Components", cnt);
    EXPECT_EQ((V{":Base main.hlp", ":Include other.cnt", ":Index Other =other.hlp", ":Include Kel.cnt",
                 ":Index Kel Components =C:\\Help\\Kel.hlp"}),
              Lines(cnt));
    // Lines naming the file in any case go.
    kelRemoveHelpFromCntFile("kel.HLP", cnt);
    EXPECT_EQ((V{":Base main.hlp", ":Include other.cnt", ":Index Other =other.hlp"}), Lines(cnt));
    // No file name matches nothing, rather than every line.
    kelRemoveHelpFromCntFile("", cnt);
    EXPECT_EQ(3u, Lines(cnt).size());
    EXPECT_THROW(kelAddHelpToCntFile("x.hlp", "X", folder.File("missing.cnt")), EFOpenError);
}
