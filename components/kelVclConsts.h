// kelVclConsts: the component library's user-visible texts. Each lives in the
// program's string table (kelVclConsts.rc) and is fetched with LoadResString when
// it is needed, so a translated table changes them without touching the code.
// The texts marked "designer" belong to design-time editors and are read by no
// code of the running program; they stay so that the table is complete.
#pragma once

#include "classlib/SysUtils.h"

constexpr TResStringRec SkelAbout{65235};                           // designer
constexpr TResStringRec SkelDesigner{65236};                        // designer
constexpr TResStringRec SkelWarning{65237};                         // message-box caption
constexpr TResStringRec SkelError{65238};                           // message-box caption
constexpr TResStringRec SkelInformation{65239};                     // designer
constexpr TResStringRec SkelImportant{65240};                       // designer
constexpr TResStringRec SkelAboutApplicationCaption{65242};         // designer
constexpr TResStringRec SkelAboutApplicationBy{65243};              // designer
constexpr TResStringRec SkelAboutApplicationVersionFmt{65244};      // designer
constexpr TResStringRec SkelAboutComponentCaption{65245};           // designer
constexpr TResStringRec SkelAboutComponentBy{65246};                // designer
constexpr TResStringRec SkelAboutComponentVersionFmt{65247};        // designer
constexpr TResStringRec SkelNoFile{65216};                          // file name
constexpr TResStringRec SkelProperty_ReadOnlyMode{65217};
constexpr TResStringRec SkelRegistry_UnableToOpenKey{65218};        // key name
constexpr TResStringRec SkelRegistry_CannotWrite{65219};
constexpr TResStringRec SkelChannel_CreationFailed{65220};
constexpr TResStringRec SkelChannel_MappingFailed{65221};
constexpr TResStringRec SkelFileVersionInfo_NoInfo{65222};
constexpr TResStringRec SkelFileVersionInfo_WrongLngIndex{65223};
constexpr TResStringRec SkelTreadComponent_Exception{65224};        // thread, class, message
constexpr TResStringRec SkelFileOperation_DesignerMenuItem{65225};  // designer
constexpr TResStringRec SkelOneInstance_AppAlreadyRun{65226};       // application
constexpr TResStringRec SkelTrayIcon_ErrInsertTo{65227};            // component name
constexpr TResStringRec SkelTrayIcon_ErrDeleteFrom{65228};          // component name
constexpr TResStringRec SkelTrayIcon_DesignerMenuItem1{65229};      // designer
constexpr TResStringRec SkelFileStorage_AutoSaveWhenNoSaveName{65230};
constexpr TResStringRec SkelFileStorage_CannotLoad{65231};          // file name
constexpr TResStringRec SkelFileStorage_CannotSave{65200};          // file name
constexpr TResStringRec SkelFileStorage_DesignerMenuItem1{65201};   // designer
constexpr TResStringRec SkelFileStorage_DesignerMenuItem2{65202};   // designer
constexpr TResStringRec SkelWav_DesignerMenuItem1{65203};           // designer
constexpr TResStringRec SkelWav_DesignerMenuItem2{65204};           // designer
constexpr TResStringRec SkelWave_PlayInDesignerWarning{65205};      // designer
