// The two background loaders: one loading procedure, run with the parameters of either
// vocabulary.
#pragma once

#include <cstdint>
#include <functional>

#include "vocabulary/Descramble.h"
#include "vocabulary/FileHandle.h"

class StatusTarget;
class VocabularyTable;

extern char g_szGeneralFile[20];    // "0.voca"
extern char g_szTechnicalFile[20];  // "17.voca"
// Plain files in the current directory, one per loader so the two never share one.
extern const char g_szGeneralPlainFile[];    // "Temp_Test_Quillon0.pyq"
extern const char g_szTechnicalPlainFile[];  // "Temp_Test_Quillon2.pyq"
extern int g_bGeneralFileOk;    // 1 until a general file cannot be opened
extern int g_bTechnicalFileOk;  // 1 until a technical file cannot be opened

// Points of a load at which a test may step in (to stop it, or to disturb its files).
enum class LoadStep
{
    kOpened,          // both opens tried; the step's fd writes the plain file, if created
    kDescrambled,     // the plain file is written and closed
    kReadingEntries,  // the plain file is open for reading back; the step's fd reads it
    kEntriesRead,     // the table is filled
};

// Filled with designated initialisers: the fields say which text is which.
struct VocabularyLoad
{
    const char* szVocabularyFile = nullptr;
    const char* szPlainFile = nullptr;
    ScrambleKey key{};
    VocabularyTable* pTable = nullptr;
    int* pbFileOk = nullptr;
    const char* szLoadingText = nullptr;    // nullptr: nothing shown when loading starts
    const char* szLoadedText = nullptr;     // nullptr: nothing shown when loading ends
    const char* szMissingText = nullptr;    // a file cannot be opened
    const char* szFailedText = nullptr;     // the load failed after both files were opened
    const char* szTruncatedText = nullptr;  // the table filled up before the file ended
    std::function<void(LoadStep, int fd)> onStep = {};  // tests only; fd is -1 but where noted
};

VocabularyLoad GeneralVocabularyLoad();
VocabularyLoad TechnicalVocabularyLoad();

// Opens a vocabulary file as a load does, for reading and writing though only read, so that
// one this user may not write is refused like a missing one: the status line has one text
// for both, and sorellan-find tells them apart. Only a regular file counts; a FIFO or a
// device would hang the load or never end. *pnErrno is set for kCannotOpen.
enum class VocabularyFileOpen { kOpened, kCannotOpen, kNotRegular };
VocabularyFileOpen OpenVocabularyFile(const char* szPath, FileHandle& file, int* pnErrno);

// Runs one load to its end: descrambles the vocabulary file into the plain file, reads the
// entries into the table, reports through the target and opens the Find gate on success.
void LoadVocabulary(const VocabularyLoad& load, StatusTarget& target);

// A load whose thread could not be started: shows its failure text, as any failed load.
void ReportLoadNotStarted(const VocabularyLoad& load, StatusTarget& target) noexcept;

// Thread procedures; pStatusTarget is a StatusTarget*. Both return 0 on every path.
std::uint32_t LoadGeneralVocabulary(void* pStatusTarget);
std::uint32_t LoadTechnicalVocabulary(void* pStatusTarget);
