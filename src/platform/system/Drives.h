#pragma once
// The drive list of the original, on Linux: the mounted volumes, pseudo file
// systems left out, optical media counting as CD-ROM drives. Each drive's
// root name is its mount point with a trailing "/" ("/", "/media/cdrom/").
#include <QString>
#include <vector>

namespace platform {

enum DriveTypeEnum {
  DRIVE_UNKNOWN = 0, DRIVE_NO_ROOT_DIR = 1, DRIVE_REMOVABLE = 2, DRIVE_FIXED = 3, DRIVE_REMOTE = 4,
  DRIVE_CDROM = 5, DRIVE_RAMDISK = 6,
};

struct Volume {
  QString mountPoint;  // as mounted, without a trailing "/" (except "/" itself)
  QString device;      // "/dev/sda1", "/dev/sr0", "server:/export", ...
  QString fileSystem;  // "ext4", "iso9660", ...
};

// Where the volumes come from; tests put a list of their own in place.
class VolumeSource {
 public:
  virtual ~VolumeSource() = default;
  virtual std::vector<Volume> Volumes() = 0;
};
void SetVolumeSource(VolumeSource* source);  // nullptr: the mounted volumes

// The mounted volumes in mount order (the real source): read from
// /proc/self/mountinfo, pseudo file systems and repeated mount points left out.
std::vector<Volume> MountedVolumes();
// The parsing half of MountedVolumes, for a mountinfo text.
std::vector<Volume> ParseMountInfo(const QString& mountInfo);

// The root name of a volume: its mount point with a trailing "/".
QString RootName(const Volume& volume);

// GetLogicalDriveStrings: the root names, each followed by a NUL character.
// When the text fits into bufferLength characters it is put into buffer and
// its length is returned; otherwise buffer is left as it was and the length
// the text would need is returned.
int GetLogicalDriveStrings(int bufferLength, QString& buffer);

// GetDriveType of a root name: DRIVE_CDROM for optical media (iso9660 or udf
// on /dev/sr*, /dev/scd*, /dev/cdrom*), DRIVE_REMOTE for network shares,
// DRIVE_FIXED for the other volumes, DRIVE_NO_ROOT_DIR for a root that is not
// in the list.
int GetDriveType(const QString& rootName);

// The file-exists test (Dir) of a path on a listed volume: a root that is not
// a readable folder (the medium was taken out, a stale mount) raises error 52
// as a drive without a disc does.
QString DirOnVolume(const QString& rootName, const QString& relativePath, int attributes);

}  // namespace platform
