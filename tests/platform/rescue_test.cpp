// The rescue of a disc image's copy: a name of its own that nothing else can
// take meanwhile (another process in the same second included), a second
// place when the rescue folder cannot take it, and the list for the next start
// with the image each copy came from.
#include "fixtures/file_contents.h"
#include "fixtures/file_faults.h"
#include "fixtures/scoped_env.h"
#include "fixtures/temporary_places.h"
#include "fixtures/temp_dir.h"
#include "platform/rescue.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <pwd.h>
#include <set>
#include <unistd.h>
#include <sys/wait.h>

using namespace platform;
namespace fs = std::filesystem;
const auto& Slurp = fixtures::SlurpText;
const auto& Spit = fixtures::SpitText;

namespace platform {
// Readable notes in failure messages.
void PrintTo(const TRescueNote& note, std::ostream* os) {
    *os << "{" << note.Copy << ", " << note.Image << (note.Gone ? ", gone}" : "}");
}
} // namespace platform

namespace {

// The user's state folder and the system's temporary folder, both fresh.
class RescuePlaces : public ::testing::Test {
  protected:
    fixtures::TempDir State;
    const fixtures::ScopedEnv StateHome{"XDG_STATE_HOME", (State.Path / "state").string()};
    fixtures::TemporaryPlaces Temporary;
    const fs::path& Tmp = Temporary.Tmp.Path;
};

} // namespace

TEST_F(RescuePlaces, ACopyKeepsTheNameAddsTheTimeAndIsListedOnceWithItsImage) {
    const TRescueResult first = RescueCopy("/home/user/discs/games.dsk", "abc", 3);
    const TRescueResult second = RescueCopy("/elsewhere/games.dsk", "defg", 4);
    for (const TRescueResult* r : {&first, &second}) {
        EXPECT_EQ(fs::path(r->Path).parent_path(), RescueFolder());
        EXPECT_FALSE(r->InTemporaryFolder);
        EXPECT_TRUE(r->Refusals.empty());
        EXPECT_EQ(fs::path(r->Path).filename().string().rfind("games-", 0), 0u) << r->Path;
        EXPECT_EQ(fs::path(r->Path).extension(), ".dsk");
        EXPECT_EQ(r->Report(), "the machine's copy is in " + r->Path);
    }
    EXPECT_NE(first.Path, second.Path);
    EXPECT_EQ(Slurp(first.Path), "abc");
    EXPECT_EQ(Slurp(second.Path), "defg");

    EXPECT_EQ(TakeUnreportedRescues(), (std::vector<TRescueNote>{{first.Path, "/home/user/discs/games.dsk"},
                                                                 {second.Path, "/elsewhere/games.dsk"}}));
    EXPECT_TRUE(TakeUnreportedRescues().empty());
    EXPECT_TRUE(fs::exists(first.Path)); // the copies stay
}

// Names with tabs and line ends come back as they went; a list of an earlier
// version (a copy a line) still reads.
TEST_F(RescuePlaces, TheListKeepsEveryNameAndReadsAnEarlierListToo) {
    const std::string odd = "/discs/a\tb\\c\nd.dsk";
    const TRescueResult r = RescueCopy(odd, "x", 1);
    Spit(RescueFolder() + "/unreported.txt", Slurp(RescueFolder() + "/unreported.txt") + "/old/copy.dsk\n");
    EXPECT_EQ(TakeUnreportedRescues(),
              (std::vector<TRescueNote>{{r.Path, odd}, {"/old/copy.dsk", "", true}}));
}

// Processes ending at once (a logout) that rescue the same image name in the
// same second each keep their own copy, and each is told its own.
TEST_F(RescuePlaces, ProcessesRescuingTheSameNameAtOnceEachKeepTheirCopy) {
    constexpr int Children = 4;
    int ready[2], results[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(results), 0);
    std::vector<pid_t> pids;
    for (int i = 0; i < Children; ++i) {
        std::fflush(nullptr);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            char go;
            ::close(ready[1]);
            [[maybe_unused]] const ssize_t n = ::read(ready[0], &go, 1); // all start together
            const std::string data = "copy of child " + std::to_string(i);
            const TRescueResult r = RescueCopy("/discs/a.dsk", data.data(), data.size());
            const std::string line = r.Path + (r.Refusals.empty() ? "" : " REFUSED " + r.Refusals[0]) + "\n";
            [[maybe_unused]] const ssize_t w = ::write(results[1], line.data(), line.size());
            ::_exit(0);
        }
        pids.push_back(pid);
    }
    ::close(ready[0]);
    ::close(ready[1]); // the end of the pipe: every child reads at once
    for (const pid_t pid : pids)
        ::waitpid(pid, nullptr, 0);
    ::close(results[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(results[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, std::size_t(n));
    ::close(results[0]);

    std::set<std::string> paths, contents;
    for (std::size_t at = 0, lf; (lf = out.find('\n', at)) != std::string::npos; at = lf + 1) {
        const std::string path = out.substr(at, lf - at);
        EXPECT_EQ(fs::path(path).parent_path(), RescueFolder()) << path;
        paths.insert(path);
        contents.insert(Slurp(path));
    }
    EXPECT_EQ(paths.size(), std::size_t(Children)) << out;
    EXPECT_EQ(contents.size(), std::size_t(Children));
    EXPECT_EQ(std::distance(fs::directory_iterator(RescueFolder()), fs::directory_iterator()),
              Children + 1); // and the list
}

// When the rescue folder cannot take the copy, the temporary folder does, then
// the system's; when none can, the writes are lost and the report says why,
// place by place.
TEST_F(RescuePlaces, ARescueFolderThatCannotTakeTheCopyGivesWayToTheTemporaryFolder) {
    const std::string state = (State.Path / "state").string();
    const std::string tmpFolder = TemporaryRescueFolder();
    EXPECT_EQ(fs::path(tmpFolder).parent_path(), Tmp);
    ASSERT_EQ(TemporaryRescueFolders().size(), 2u);
    const std::string systemFolder = TemporaryRescueFolders()[1];
    EXPECT_EQ(fs::path(systemFolder).parent_path(), Temporary.System.Path);

    // A file where the folder should be.
    fs::create_directories(state + "/qj47r");
    Spit(state + "/qj47r/rescued", "not a folder");
    const TRescueResult moved = RescueCopy("/discs/a.dsk", "abc", 3);
    ASSERT_EQ(fs::path(moved.Path).parent_path(), tmpFolder);
    EXPECT_TRUE(moved.InTemporaryFolder);
    EXPECT_EQ(Slurp(moved.Path), "abc");
    EXPECT_EQ(fs::status(tmpFolder).permissions() & fs::perms::all, fs::perms::owner_all);
    ASSERT_EQ(moved.Refusals.size(), 1u);
    EXPECT_TRUE(moved.Refusals[0].starts_with(RescueFolder() + " (")) << moved.Refusals[0];
    EXPECT_EQ(moved.Report(), "the machine's copy is in " + moved.Path +
                                  ", in the system's temporary folder, since the rescue folder " +
                                  moved.Refusals[0] + " could not take it");
    EXPECT_EQ(TakeUnreportedRescues(), (std::vector<TRescueNote>{{moved.Path, "/discs/a.dsk"}}));

    // A folder of ours that others may enter is not ours to use: the system's
    // temporary folder takes the copy.
    fs::permissions(tmpFolder, fs::perms::all);
    const TRescueResult last = RescueCopy("/discs/a.dsk", "def", 3);
    ASSERT_EQ(fs::path(last.Path).parent_path(), systemFolder);
    EXPECT_EQ(Slurp(last.Path), "def");
    ASSERT_EQ(last.Refusals.size(), 2u);
    EXPECT_EQ(last.Refusals[1], tmpFolder + " (it is not a private folder of this user)");
    EXPECT_EQ(last.Report(), "the machine's copy is in " + last.Path +
                                 ", in the system's temporary folder, since the rescue folder " +
                                 last.Refusals[0] + " could not take it, nor the temporary folder " +
                                 last.Refusals[1]);

    fs::permissions(systemFolder, fs::perms::all);
    const TRescueResult lost = RescueCopy("/discs/a.dsk", "abc", 3);
    EXPECT_TRUE(lost.Path.empty());
    ASSERT_EQ(lost.Refusals.size(), 3u);
    EXPECT_EQ(lost.Refusals[2], systemFolder + " (it is not a private folder of this user)");
    EXPECT_EQ(lost.Report(), "the machine's writes to it are lost: no place could take a copy, not the "
                             "rescue folder " +
                                 lost.Refusals[0] + ", nor the temporary folder " + lost.Refusals[1] +
                                 ", nor the temporary folder " + lost.Refusals[2]);
}

// A full disc under the rescue folder (a file size limit, on any machine).
TEST_F(RescuePlaces, ARescueFolderOnAFullDiscGivesWayToo) {
    const std::string big(64 * 1024, 'b');
    fs::create_directories(RescueFolder());
    // The limit holds for every place: each fails in turn.
    const int result = fixtures::RunWithFileSizeLimit(16 * 1024, [&] {
        const TRescueResult r = RescueCopy("/discs/a.dsk", big.data(), big.size());
        return r.Path.empty() && r.Refusals.size() == 3 &&
                       r.Refusals[0] == RescueFolder() + " (File too large)"
                   ? 0
                   : 1;
    });
    ASSERT_GE(result, 0) << "cannot limit the file size here";
    EXPECT_EQ(result, 0);
    // Nothing half-written is left in any place.
    EXPECT_EQ(std::distance(fs::directory_iterator(RescueFolder()), fs::directory_iterator()), 0);
    for (const std::string& folder : TemporaryRescueFolders())
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 0) << folder;
}

// As an unprivileged user (root writes anything): a read-only rescue folder.
TEST_F(RescuePlaces, AReadOnlyRescueFolderGivesWayToTheTemporaryFolder) {
    fixtures::OpenToEveryone(State.Path);
    fixtures::OpenToEveryone(Tmp);
    fs::create_directories(RescueFolder());
    for (fs::path p = RescueFolder(); p != State.Path; p = p.parent_path())
        fs::permissions(p, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    const int result = fixtures::RunUnprivileged([&] {
        const TRescueResult r = RescueCopy("/discs/a.dsk", "abc", 3);
        return r.InTemporaryFolder && Slurp(r.Path) == "abc" && r.Refusals.size() == 1 &&
                       r.Refusals[0] == RescueFolder() + " (Permission denied)"
                   ? 0
                   : 1;
    });
    for (fs::path p = RescueFolder(); p != State.Path; p = p.parent_path())
        fs::permissions(p, fs::perms::all);
    if (result < 0) GTEST_SKIP() << "cannot run as an unprivileged user here";
    EXPECT_EQ(result, 0);
}

// A copy's name fits the file system whatever the image's name: a long stem
// is shortened, never within a character, and the time, the number and the
// extension stay.
TEST(RescueNames, ALongNameIsShortenedAndKeepsTheTimeTheNumberAndTheExtension) {
    const std::string time = "20261211-040212";
    const std::string long240 = std::string(236, 'g') + ".dsk";
    const std::string accents = std::string(230, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9" + ".dsk"; // three e-acute
    const struct {
        std::string Image;
        int Attempt;
        std::size_t Max;
        std::string Name;
    } cases[] = {
        {"/discs/games.dsk", 1, 255, "games-" + time + ".dsk"},
        {"/discs/games.dsk", 3, 255, "games-" + time + "-3.dsk"},
        {"/discs/" + long240, 1, 255, std::string(235, 'g') + "-" + time + ".dsk"},
        {"/discs/" + long240, 12, 255, std::string(232, 'g') + "-" + time + "-12.dsk"},
        // Cut before the character that would not fit whole.
        {accents, 1, 252, std::string(230, 'a') + "\xC3\xA9" + "-" + time + ".dsk"},
        // No stem, or an extension that leaves no room: a name all the same.
        {"/discs/.dsk", 1, 255, ".dsk-" + time},
        {"/discs/a." + std::string(250, 'x'), 1, 255, "a-" + time},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Image.substr(0, 40) + " " + std::to_string(c.Attempt));
        const std::string name = RescueName(c.Image, time, c.Attempt, c.Max);
        EXPECT_EQ(name, c.Name);
        EXPECT_LE(name.size(), c.Max);
    }
}

// An image named with 240 bytes: the copy is written, under a name the folder takes.
TEST_F(RescuePlaces, AnImageWithALongNameIsRescuedWhole) {
    const std::string image = "/discs/" + std::string(236, 'n') + ".dsk";
    const TRescueResult r = RescueCopy(image, "abc", 3);
    ASSERT_FALSE(r.Path.empty()) << r.Report();
    EXPECT_FALSE(r.InTemporaryFolder);
    EXPECT_EQ(Slurp(r.Path), "abc");
    EXPECT_LE(fs::path(r.Path).filename().string().size(), 255u);
    EXPECT_EQ(TakeUnreportedRescues(), (std::vector<TRescueNote>{{r.Path, image}}));
}

// A TMPDIR that names no folder: the system's temporary folder takes the copy.
TEST_F(RescuePlaces, ATemporaryFolderThatIsNotThereGivesWayToTheSystemsOwn) {
    fs::create_directories(State.Path / "state" / "qj47r");
    Spit((State.Path / "state" / "qj47r" / "rescued").string(), "not a folder");
    const fixtures::ScopedEnv tmpdir("TMPDIR", (Tmp / "gone").string());
    const TRescueResult r = RescueCopy("/discs/a.dsk", "abc", 3);
    ASSERT_EQ(fs::path(r.Path).parent_path().parent_path(), Temporary.System.Path) << r.Report();
    EXPECT_EQ(Slurp(r.Path), "abc");
    ASSERT_EQ(r.Refusals.size(), 2u);
    EXPECT_EQ(r.Refusals[1], (Tmp / "gone").string() + "/qj47r-rescued-" + std::to_string(::geteuid()) +
                                 " (No such file or directory)");
}

// The places are absolute paths whatever HOME, XDG_STATE_HOME and TMPDIR
// say: relative ones are not taken, and without HOME the home is the user's
// in the password database.
TEST(RescueFolders, AreNeverRelativePaths) {
    const char* relative[] = {nullptr, "", "home/me"};
    for (const char* home : relative) {
        SCOPED_TRACE(home ? home : "(unset)");
        const fixtures::ScopedEnv h("HOME", home), state("XDG_STATE_HOME", "state"), tmp("TMPDIR", "tmp");
        const passwd* user = ::getpwuid(::geteuid());
        ASSERT_NE(user, nullptr);
        EXPECT_EQ(RescueFolder(), std::string(user->pw_dir) + "/.local/state/qj47r/rescued");
        for (const std::string& folder : TemporaryRescueFolders())
            EXPECT_EQ(folder.front(), '/') << folder;
        EXPECT_EQ(TemporaryRescueFolders().size(), 1u) << "a relative TMPDIR is not tried";
    }
}

// The folder of ours in the temporary folder must be a real folder of this
// user that nobody else may enter: a symbolic link, even to a private folder
// of the user's, and a folder of another user are refused, and nothing is
// written through them.
TEST_F(RescuePlaces, ATemporaryFolderThatIsALinkOrAnotherUsersIsRefused) {
    fs::create_directories(State.Path / "state" / "qj47r");
    Spit((State.Path / "state" / "qj47r" / "rescued").string(), "not a folder");
    const std::string ours = TemporaryRescueFolder();
    const std::string system = TemporaryRescueFolders()[1];

    fixtures::TempDir elsewhere; // private, the user's own
    fs::create_directory_symlink(elsewhere.Path, ours);
    const TRescueResult linked = RescueCopy("/discs/a.dsk", "abc", 3);
    EXPECT_EQ(fs::path(linked.Path).parent_path(), system) << linked.Report();
    ASSERT_EQ(linked.Refusals.size(), 2u);
    EXPECT_EQ(linked.Refusals[1], ours + " (it is not a private folder of this user)");
    EXPECT_TRUE(fs::is_empty(elsewhere.Path)) << "nothing written through the link";

    if (::geteuid() != 0) GTEST_SKIP() << "giving a folder to another user needs root";
    fs::remove(ours);
    fs::create_directory(ours);
    fs::permissions(ours, fs::perms::owner_all);
    ASSERT_EQ(::chown(ours.c_str(), 65534, 65534), 0);
    const TRescueResult foreign = RescueCopy("/discs/a.dsk", "abc", 3);
    EXPECT_EQ(fs::path(foreign.Path).parent_path(), system) << foreign.Report();
    ASSERT_EQ(foreign.Refusals.size(), 2u);
    EXPECT_EQ(foreign.Refusals[1], ours + " (it is not a private folder of this user)");
    EXPECT_TRUE(fs::is_empty(ours));
}
