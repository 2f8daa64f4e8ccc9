#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/system/Drives.h"
#include "platform/system/FileSystem.h"
#include "platform/values/VbError.h"

using namespace platform;

namespace {

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

class FixedVolumes : public VolumeSource {
 public:
  explicit FixedVolumes(std::vector<Volume> v) : volumes(std::move(v)) { SetVolumeSource(this); }
  ~FixedVolumes() override { SetVolumeSource(nullptr); }
  std::vector<Volume> Volumes() override { return volumes; }
  std::vector<Volume> volumes;
};

}  // namespace

TEST(Dir, MaskThirtyThreeFindsOrdinaryFilesAndThirtyFiveHiddenOnesToo) {
  QTemporaryDir dir;
  const QString root = dir.path();
  QDir(root).mkpath("Movies/Folder");
  Touch(root + "/Movies/Intro.mpg");
  Touch(root + "/Movies/.Hidden.mpg");
  QFile ro(root + "/Movies/ReadOnly.mpg");
  ASSERT_TRUE(ro.open(QIODevice::WriteOnly));
  ro.close();
  ro.setPermissions(QFile::ReadOwner);

  EXPECT_EQ(Dir(root + "/Movies/Intro.mpg", 33), "Intro.mpg");
  EXPECT_EQ(Dir(root + "\\movies\\INTRO.MPG", 33), "Intro.mpg");
  EXPECT_EQ(Dir(root + "/Movies/ReadOnly.mpg", 33), "ReadOnly.mpg");
  EXPECT_EQ(Dir(root + "/Movies/.Hidden.mpg", 33), "");
  EXPECT_EQ(Dir(root + "/Movies/.hidden.MPG", 35), ".Hidden.mpg");
  EXPECT_EQ(Dir(root + "/Movies/Missing.mpg", 35), "");
  EXPECT_EQ(Dir(root + "/NoFolder/Intro.mpg", 35), "");
  // Folders only when asked for; a path ending in "/" names no file.
  EXPECT_EQ(Dir(root + "/Movies/Folder", 35), "");
  EXPECT_EQ(Dir(root + "/Movies/Folder", 16), "Folder");
  EXPECT_EQ(Dir(root + "/Movies/", 35), "");
  EXPECT_EQ(Dir("/dev/null", 35), "");
}

TEST(Drives, MountInfoKeepsRealVolumesInMountOrder) {
  const QString info =
      "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
      "24 27 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw\n"
      "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
      "28 27 0:25 / /tmp rw - tmpfs tmpfs rw\n"
      "31 27 8:1 / /home rw master:2 - xfs /dev/sda1 rw\n"
      "32 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
      "33 27 0:40 / /run/user/0 rw - tmpfs tmpfs rw\n"
      "34 27 11:1 / /run/media/anna/QVR\\040DISC ro - udf /dev/sr1 ro\n"
      "35 27 0:41 / /mnt/share rw - cifs //server/qvr rw\n"
      "36 27 8:2 / /home rw - ext4 /dev/sdb1 rw\n"
      "37 31 0:42 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
      "malformed line\n";
  const std::vector<Volume> v = ParseMountInfo(info);
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[0].mountPoint, "/");
  EXPECT_EQ(v[0].device, "/dev/vda");
  EXPECT_EQ(v[1].mountPoint, "/home");
  EXPECT_EQ(v[1].fileSystem, "xfs");
  EXPECT_EQ(v[2].mountPoint, "/media/cdrom");
  EXPECT_EQ(v[3].mountPoint, "/run/media/anna/QVR DISC");
  EXPECT_EQ(v[3].fileSystem, "udf");
  EXPECT_EQ(v[4].device, "//server/qvr");
  EXPECT_EQ(RootName(v[0]), "/");
  EXPECT_EQ(RootName(v[2]), "/media/cdrom/");
}

TEST(Drives, TheDriveListIsEachRootAndANulWithinTheBuffer) {
  FixedVolumes vols({{"/", "/dev/vda", "ext4"},
                     {"/media/cdrom", "/dev/sr0", "iso9660"},
                     {"/mnt/iso", "/dev/loop0", "iso9660"},
                     {"/mnt/dvd", "/dev/cdrom1", "udf"},
                     {"/mnt/share", "server:/qvr", "nfs4"}});
  const QString expected = QStringLiteral("/") + QChar(0) + "/media/cdrom/" + QChar(0) + "/mnt/iso/" + QChar(0) +
                           "/mnt/dvd/" + QChar(0) + "/mnt/share/" + QChar(0);
  QString buffer;
  EXPECT_EQ(GetLogicalDriveStrings(64, buffer), expected.size());
  EXPECT_EQ(buffer, expected);
  EXPECT_EQ(GetDriveType("/"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveType("/media/cdrom/"), DRIVE_CDROM);
  EXPECT_EQ(GetDriveType("/mnt/iso/"), DRIVE_FIXED);  // an image file, not a disc drive
  EXPECT_EQ(GetDriveType("/mnt/dvd/"), DRIVE_CDROM);
  EXPECT_EQ(GetDriveType("/mnt/share/"), DRIVE_REMOTE);
  EXPECT_EQ(GetDriveType("/elsewhere/"), DRIVE_NO_ROOT_DIR);

  // One character too many for the buffer: nothing is written, the length needed comes back.
  QString small = QStringLiteral("untouched");
  EXPECT_EQ(GetLogicalDriveStrings(static_cast<int>(expected.size()) - 1, small), expected.size());
  EXPECT_EQ(small, "untouched");
}

TEST(Drives, AVolumeWhoseRootCannotBeReadRaisesFiftyTwo) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("TarrowbyVid");
  Touch(dir.path() + "/TarrowbyVid/Intro.mpg");
  EXPECT_EQ(DirOnVolume(dir.path() + "/", "TarrowbyVid/Intro.mpg", 33), "Intro.mpg");
  EXPECT_EQ(DirOnVolume(dir.path() + "/", "TarrowbyVid/Other.mpg", 33), "");
  try {
    DirOnVolume(dir.path() + "/ejected/", "TarrowbyVid/Intro.mpg", 33);
    FAIL() << "no error";
  } catch (const VbError& e) {
    EXPECT_EQ(e.Number(), 52);
    EXPECT_EQ(e.Description(), "Bad file name or number");
  }
}

TEST(Drives, TheRealListHoldsTheRootFolderAndNoPseudoFileSystems) {
  const std::vector<Volume> v = MountedVolumes();
  bool root = false;
  for (const Volume& vol : v) {
    root = root || vol.mountPoint == "/";
    EXPECT_NE(vol.fileSystem, "proc");
    EXPECT_NE(vol.fileSystem, "tmpfs");
    EXPECT_FALSE(vol.mountPoint.startsWith("/sys"));
  }
  EXPECT_TRUE(root);
}
