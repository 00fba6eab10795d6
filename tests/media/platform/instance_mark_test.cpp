// The live single-instance mark as two processes of the machine see it: the first
// copy takes the name, a second copy finds it taken, and the name is free again as
// soon as the first copy gives it back or dies.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "media/platform/plat_instance.h"

namespace {

// A name no other test process uses.
std::string UniqueName(const char* what) {
    return std::string("vorlane-test-") + what + "-" + std::to_string(getpid());
}

// Runs `child` in a forked process and returns its exit status (its result).
template <class F>
int InChild(F child) {
    pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(InstanceMark, SecondProcessSeesTheFirstUntilItLetsGo) {
    std::string name = UniqueName("held");
    EXPECT_EQ(PlatInstanceExists(name.c_str()), 0);
    ASSERT_EQ(PlatInstanceCreate(name.c_str()), 0);
    EXPECT_EQ(PlatInstanceExists(name.c_str()), 1);
    // Another process: finds the mark and cannot take it.
    EXPECT_EQ(InChild([&] { return PlatInstanceExists(name.c_str()); }), 1);
    EXPECT_EQ(InChild([&] {
                  PlatInstanceRelease();  // the fork's copy of the descriptor, not the name
                  return PlatInstanceCreate(name.c_str());
              }),
              1);
    PlatInstanceRelease();
    EXPECT_EQ(PlatInstanceExists(name.c_str()), 0);
    EXPECT_EQ(InChild([&] { return PlatInstanceExists(name.c_str()); }), 0);
}

TEST(InstanceMark, ACrashedFirstCopyLeavesNoStaleMark) {
    std::string name = UniqueName("crash");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t first = fork();
    if (first == 0) {
        char ok = PlatInstanceCreate(name.c_str()) == 0 ? 1 : 0;
        if (write(ready[1], &ok, 1) != 1) _exit(2);
        pause();  // killed below, never releases by itself
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    EXPECT_EQ(PlatInstanceExists(name.c_str()), 1);
    kill(first, SIGKILL);
    waitpid(first, nullptr, 0);
    EXPECT_EQ(PlatInstanceExists(name.c_str()), 0);
    EXPECT_EQ(PlatInstanceCreate(name.c_str()), 0);
    PlatInstanceRelease();
    close(ready[0]);
    close(ready[1]);
}

TEST(InstanceMark, BadNamesAreRefused) {
    EXPECT_EQ(PlatInstanceCreate(""), -1);
    EXPECT_EQ(PlatInstanceCreate(nullptr), -1);
    EXPECT_EQ(PlatInstanceCreate(std::string(200, 'x').c_str()), -1);
    EXPECT_EQ(PlatInstanceExists(""), 0);
}
