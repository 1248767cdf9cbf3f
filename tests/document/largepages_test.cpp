// The programs start again with large heap pages asked for, keep what the
// user's GLIBC_TUNABLES already says, and never start again twice.

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

bool kernelGivesLargePages() {
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(in, modes);
  return modes.find("[never]") == std::string::npos && !modes.empty();
}

}  // namespace

TEST(LargePages, AskedForOnceAndTheUsersChoiceKept) {
#if !defined(__GLIBC__)
  GTEST_SKIP() << "only glibc's own allocator reads the tunable";
#endif
  if (!kernelGivesLargePages())
    GTEST_SKIP() << "the kernel gives no large pages on request";
  const struct {
    const char* before;  // nullptr: unset
    const char* after;
  } cases[] = {
      {nullptr, "glibc.malloc.hugetlb=1"},
      {"", "glibc.malloc.hugetlb=1"},
      {"glibc.malloc.check=0", "glibc.malloc.check=0:glibc.malloc.hugetlb=1"},
      {"glibc.malloc.hugetlb=0", "glibc.malloc.hugetlb=0"},
      {"glibc.malloc.hugetlb=1", "glibc.malloc.hugetlb=1"},
  };
  for (const auto& c : cases) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("GLIBC_TUNABLES"));
    if (c.before)
      env.insert(QStringLiteral("GLIBC_TUNABLES"), QString::fromUtf8(c.before));
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral(LW_LARGE_PAGES_PROBE), {});
    ASSERT_TRUE(probe.waitForFinished(60000));
    EXPECT_EQ(probe.readAllStandardOutput().toStdString(), c.after)
        << (c.before ? c.before : "(unset)");
  }
}
