// instance_mark_test.cpp - the live single-instance mark as two processes of the
// machine see it: the first copy takes the name, a second copy finds it taken, and the
// name is free again as soon as the first copy gives it back or dies.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "media/platform/plat_instance.h"

namespace {

// Runs `child` in a forked process and returns its result (its exit status), -1
// when a signal ended it.
template <class F>
int InChild(F child) {
    pid_t pid = fork();
    if (pid == 0) _exit(child());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(InstanceMark, SecondProcessSeesTheFirstUntilItLetsGoOrDiesAndBadNamesAreRefused) {
    const std::string name = "vorlane-test-mark-" + std::to_string(getpid());
    const char* n = name.c_str();
    EXPECT_EQ(PlatInstanceExists(n), 0);
    ASSERT_EQ(PlatInstanceCreate(n), 0);
    EXPECT_EQ(PlatInstanceExists(n), 1);
    EXPECT_EQ(InChild([&] { return PlatInstanceExists(n); }), 1);
    EXPECT_EQ(InChild([&] {
                  PlatInstanceRelease();  // the fork's copy of the descriptor, not the name
                  return PlatInstanceCreate(n);
              }),
              1);
    PlatInstanceRelease();
    EXPECT_EQ(InChild([&] { return PlatInstanceExists(n); }), 0);

    // A first copy killed while it holds the mark leaves no stale mark behind.
    EXPECT_EQ(InChild([&] {
                  if (PlatInstanceCreate(n) == 0) raise(SIGKILL);
                  return 1;
              }),
              -1);
    EXPECT_EQ(PlatInstanceCreate(n), 0);
    PlatInstanceRelease();

    // Bad names are refused.
    EXPECT_EQ(PlatInstanceCreate(""), -1);
    EXPECT_EQ(PlatInstanceCreate(nullptr), -1);
    EXPECT_EQ(PlatInstanceCreate(std::string(200, 'x').c_str()), -1);
    EXPECT_EQ(PlatInstanceExists(""), 0);
}
