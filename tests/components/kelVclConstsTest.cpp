// The library's texts come from the program's string table, exactly.
#include <gtest/gtest.h>

#include "components/kelVclConsts.h"

TEST(kelVclConsts, EveryTextIsInTheStringTableExactly) {
    const struct {
        TResStringRec rec;
        const char* text;
    } table[] = {
        {SkelAbout, "About"},
        {SkelDesigner, "Designer"},
        {SkelWarning, "Warning"},
        {SkelError, "Error"},
        {SkelInformation, "Information"},
        {SkelImportant, "Important"},
        {SkelAboutApplicationCaption, "About application"},
        {SkelAboutApplicationBy, "created by"},
        {SkelAboutApplicationVersionFmt, "Version: %s (build %s)"},
        {SkelAboutComponentCaption, "About component"},
        {SkelAboutComponentBy, "created by"},
        {SkelAboutComponentVersionFmt, "Version: %s"},
        {SkelNoFile, "File \"%s\" does not exist"},
        {SkelProperty_ReadOnlyMode, "Cannot change the property in Read-Only mode."},
        {SkelRegistry_UnableToOpenKey, "Unable to open the %s key"},
        {SkelRegistry_CannotWrite, "Cannot write to registry."},
        {SkelChannel_CreationFailed, "Channel creation is failed"},
        {SkelChannel_MappingFailed, "Channel mapping is failed"},
        {SkelFileVersionInfo_NoInfo, "File contains no version information"},
        {SkelFileVersionInfo_WrongLngIndex, "Illegal language index"},
        {SkelTreadComponent_Exception, "Thread %s raised exception class %s with message \"%s\"."},
        {SkelFileOperation_DesignerMenuItem, "Edit file list..."},
        {SkelOneInstance_AppAlreadyRun, "Application \"%s\" is already running."},
        {SkelTrayIcon_ErrInsertTo, "%s.InsertToTray failed"},
        {SkelTrayIcon_ErrDeleteFrom, "%s.DeleteFromTray failed"},
        {SkelTrayIcon_DesignerMenuItem1, "Show balloon info"},
        {SkelFileStorage_AutoSaveWhenNoSaveName,
         "AutoSave can not be set because the SaveName property contains a wrong file name"},
        {SkelFileStorage_CannotLoad, "Can not load data from the \"%s\" file"},
        {SkelFileStorage_CannotSave, "Can not save data to the \"%s\" file"},
        {SkelFileStorage_DesignerMenuItem1, "Load file into DFM..."},
        {SkelFileStorage_DesignerMenuItem2, "Remove file from DFM"},
        {SkelWav_DesignerMenuItem1, "Play sound"},
        {SkelWav_DesignerMenuItem2, "Stop playing"},
        {SkelWave_PlayInDesignerWarning,
         "Playing is canceled. Synchronous playing of the looped sound can freeze the IDE"},
    };
    EXPECT_EQ(34u, sizeof table / sizeof table[0]);
    for (const auto& entry : table) EXPECT_EQ(entry.text, LoadResString(entry.rec)) << entry.rec.Identifier;

    // The gaps between the blocks hold nothing.
    for (uint32_t id : {65206u, 65215u, 65232u, 65234u, 65241u}) EXPECT_EQ("", LoadResString(id)) << id;
    EXPECT_EQ("Tray1.InsertToTray failed", Format(LoadResString(SkelTrayIcon_ErrInsertTo), std::string("Tray1")));
}
