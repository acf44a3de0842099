#include "vocabulary/VocabularyLoader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#include "vocabulary/EntryReader.h"
#include "vocabulary/FileHandle.h"
#include "vocabulary/PlainFile.h"
#include "vocabulary/StatusTarget.h"
#include "vocabulary/StatusTexts.h"
#include "vocabulary/VocabularyTable.h"

char g_szGeneralFile[20] = "0.voca";
char g_szTechnicalFile[20] = "17.voca";
const char g_szGeneralPlainFile[] = "Temp_Test_Quillon0.pyq";
const char g_szTechnicalPlainFile[] = "Temp_Test_Quillon2.pyq";
int g_bGeneralFileOk = 1;
int g_bTechnicalFileOk = 1;

VocabularyFileOpen OpenVocabularyFile(const char* szPath, FileHandle& file, int* pnErrno)
{
    file = FileHandle(::open(szPath, O_RDWR | O_CLOEXEC | O_NONBLOCK));
    struct stat st{};
    if (!file.IsOpen() || ::fstat(file.Get(), &st) != 0)
    {
        *pnErrno = errno;
        file.Close();
        return VocabularyFileOpen::kCannotOpen;
    }
    if (!S_ISREG(st.st_mode))
    {
        file.Close();
        return VocabularyFileOpen::kNotRegular;
    }
    return VocabularyFileOpen::kOpened;
}

namespace
{
constexpr std::size_t kDescrambleBlockBytes = 2 * 1024 * 1024;

class LoadRun
{
public:
    LoadRun(const VocabularyLoad& load, StatusTarget& target) : m_load(load), m_target(target) {}

    void Run()
    {
        FileHandle vocabulary;
        int nErrno = 0;
        if (OpenVocabularyFile(m_load.szVocabularyFile, vocabulary, &nErrno) != VocabularyFileOpen::kOpened)
            *m_load.pbFileOk = 0;
        const PlainFile::CreateResult created =
            m_plain.Create(m_load.szPlainFile, StopFlag(), [this] { ShowWaiting(); });
        if (created == PlainFile::CreateResult::kFailed || created == PlainFile::CreateResult::kHasOtherNames)
            *m_load.pbFileOk = 0;
        Step(LoadStep::kOpened, m_plain.WriteFd());
        if (Stopped() || created == PlainFile::CreateResult::kStopped)
            return Abandon();

        if (*m_load.pbFileOk != 1)
        {
            // The plain file that could be created stays behind, empty.
            m_plain.CloseAndUnlock();
            return Report(LoadEvent::kMissing, m_load.szMissingText);
        }

        Report(LoadEvent::kLoading, LoadingText());
        // A table without slots is one whose memory could not be reserved.
        if (created != PlainFile::CreateResult::kCreated || m_load.pTable->GetCapacity() <= 0)
            return Fail();
        // The table's free text is the copy's buffer: the entries read back fill the same
        // memory, so it is committed once, and blocks this large make fewer, cheaper writes.
        const std::span<char> work = m_load.pTable->GetFreeText(kDescrambleBlockBytes);
        const CopyResult copied = DescrambleFile(
            vocabulary.Get(), m_plain.WriteFd(), m_load.key.subtrahend, m_load.key.addend,
            StopFlag(), work.first(std::min(work.size(), kDescrambleBlockBytes)));
        vocabulary.Close();
        const bool bWritten = m_plain.FinishWriting();
        if (Stopped())
            return Abandon();
        if (copied != CopyResult::kDone || !bWritten)
            return Fail();
        Step(LoadStep::kDescrambled);

        FileHandle reader = m_plain.OpenForReading();
        if (!reader.IsOpen())
            return Fail();
        Step(LoadStep::kReadingEntries, reader.Get());
        const ReadResult read = ReadEntries(reader.Get(), *m_load.pTable, StopFlag());
        reader.Close();
        Step(LoadStep::kEntriesRead);
        if (Stopped())
            return Abandon();
        // The entries read before the error stay in the table: a search may already be
        // reading them, and a published entry is never taken back.
        if (read == ReadResult::kReadError)
            return Fail();

        if (read == ReadResult::kTableFull)
            Report(LoadEvent::kTruncated, m_load.szTruncatedText);
        else
            Report(LoadEvent::kLoaded, LoadedText());
        if (!Stopped())
            m_target.EnableFind();
        m_plain.Remove();
    }

    // The load failed after its files were opened: say so, leave no plain file behind and
    // keep Find as it is.
    void Fail()
    {
        m_plain.Remove();
        Report(LoadEvent::kFailed, m_load.szFailedText);
    }

private:
    const std::atomic<bool>* StopFlag() const { return &m_target.StopFlag(); }
    bool Stopped() const { return m_target.StopRequested(); }

    void Report(LoadEvent event, const char* szText)
    {
        if (szText && !Stopped())
            m_target.Report({event, szText, m_load.szVocabularyFile, m_load.szPlainFile});
    }

    void Step(LoadStep step, int fd = -1)
    {
        if (m_load.onStep)
            m_load.onStep(step, fd);
    }

    // Another copy of the program holds the plain file. Once the wait is over the status
    // line must not keep saying so, so a load that waited shows its start and end even
    // where it shows none otherwise.
    void ShowWaiting()
    {
        if (!m_bWaited)
            Report(LoadEvent::kWaiting, kszWaitingForOtherCopy);
        m_bWaited = true;
    }
    const char* LoadingText() const
    {
        return m_bWaited && !m_load.szLoadingText ? kszLoading : m_load.szLoadingText;
    }
    const char* LoadedText() const
    {
        return m_bWaited && !m_load.szLoadedText ? kszLoaded : m_load.szLoadedText;
    }

    void Abandon() { m_plain.Remove(); }

    const VocabularyLoad& m_load;
    StatusTarget& m_target;
    PlainFile m_plain;
    bool m_bWaited = false;
};
}  // namespace

VocabularyLoad GeneralVocabularyLoad()
{
    // Quiet while it loads: the status line says what the technical load does.
    return {.szVocabularyFile = g_szGeneralFile,
            .szPlainFile = g_szGeneralPlainFile,
            .key = kGeneralKey,
            .pTable = &g_generalVocabulary,
            .pbFileOk = &g_bGeneralFileOk,
            .szMissingText = kszGeneralMissing,
            .szFailedText = kszGeneralFailed,
            .szTruncatedText = kszGeneralTruncated};
}

VocabularyLoad TechnicalVocabularyLoad()
{
    return {.szVocabularyFile = g_szTechnicalFile,
            .szPlainFile = g_szTechnicalPlainFile,
            .key = kTechnicalKey,
            .pTable = &g_technicalVocabulary,
            .pbFileOk = &g_bTechnicalFileOk,
            .szLoadingText = kszLoading,
            .szLoadedText = kszLoaded,
            .szMissingText = kszTechnicalMissing,
            .szFailedText = kszTechnicalFailed,
            .szTruncatedText = kszTechnicalTruncated};
}

void LoadVocabulary(const VocabularyLoad& load, StatusTarget& target)
{
    LoadRun run(load, target);
    try
    {
        run.Run();
    }
    catch (...)
    {
        // Out of memory (or a test hook that threw): a failed load, never a dead program.
        run.Fail();
    }
}

void ReportLoadNotStarted(const VocabularyLoad& load, StatusTarget& target) noexcept
{
    try
    {
        if (!target.StopRequested())
            target.Report({LoadEvent::kFailed, load.szFailedText, load.szVocabularyFile, load.szPlainFile});
    }
    catch (...)
    {
        // Out of memory even for the text: the status line stays as it was.
    }
}

std::uint32_t LoadGeneralVocabulary(void* pStatusTarget)
{
    LoadVocabulary(GeneralVocabularyLoad(), *static_cast<StatusTarget*>(pStatusTarget));
    return 0;
}

std::uint32_t LoadTechnicalVocabulary(void* pStatusTarget)
{
    LoadVocabulary(TechnicalVocabularyLoad(), *static_cast<StatusTarget*>(pStatusTarget));
    return 0;
}
