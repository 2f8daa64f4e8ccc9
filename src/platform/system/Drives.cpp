#include "platform/system/Drives.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>
#include <unistd.h>

#include "platform/system/FileSystem.h"
#include "platform/values/VbError.h"

namespace platform {
namespace {

VolumeSource*& Source() {
  static VolumeSource* source = nullptr;
  return source;
}

std::vector<Volume> CurrentVolumes() { return Source() ? Source()->Volumes() : MountedVolumes(); }

// mountinfo writes blanks, tabs, line feeds and backslashes as \ooo.
QString Unescape(const QString& field) {
  QString out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] == u'\\' && i + 3 < field.size()) {
      bool ok = false;
      const int code = field.mid(i + 1, 3).toInt(&ok, 8);
      if (ok) {
        out += QChar(code);
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

bool IsPseudoFileSystem(const QString& type) {
  static const QSet<QString> pseudo = {
      "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "rootfs", "cgroup", "cgroup2", "securityfs",
      "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "pstore", "bpf", "autofs",
      "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal",
      "fuse.lxcfs"};
  return pseudo.contains(type);
}

bool UnderSystemFolder(const QString& mountPoint) {
  for (const char* folder : {"/proc", "/sys", "/dev", "/run"}) {
    const QString f = QLatin1String(folder);
    if (mountPoint == f || mountPoint.startsWith(f + u'/')) {
      // Removable media are mounted under /run/media/<user>/.
      return !mountPoint.startsWith(QLatin1String("/run/media/"));
    }
  }
  return false;
}

bool IsOpticalDevice(const QString& device) {
  return device.startsWith(QLatin1String("/dev/sr")) || device.startsWith(QLatin1String("/dev/scd")) ||
         device.startsWith(QLatin1String("/dev/cdrom"));
}

bool IsNetworkFileSystem(const QString& type) {
  return type == QLatin1String("nfs") || type == QLatin1String("nfs4") || type == QLatin1String("cifs") ||
         type == QLatin1String("smb3") || type == QLatin1String("smbfs") || type == QLatin1String("fuse.sshfs");
}

}  // namespace

void SetVolumeSource(VolumeSource* source) { Source() = source; }

std::vector<Volume> ParseMountInfo(const QString& mountInfo) {
  std::vector<Volume> volumes;
  QSet<QString> seen;
  const QStringList lines = mountInfo.split(u'\n', Qt::SkipEmptyParts);
  for (const QString& line : lines) {
    // id parent major:minor root mount-point options [optional fields] - type source super-options
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    const qsizetype dash = fields.indexOf(QStringLiteral("-"));
    if (fields.size() < 5 || dash < 6 || dash + 2 >= fields.size()) continue;
    Volume v;
    v.mountPoint = Unescape(fields[4]);
    v.fileSystem = Unescape(fields[dash + 1]);
    v.device = Unescape(fields[dash + 2]);
    if (IsPseudoFileSystem(v.fileSystem) || UnderSystemFolder(v.mountPoint)) continue;
    if (seen.contains(v.mountPoint)) continue;
    seen.insert(v.mountPoint);
    volumes.push_back(v);
  }
  return volumes;
}

std::vector<Volume> MountedVolumes() {
  QFile file(QStringLiteral("/proc/self/mountinfo"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  std::vector<Volume> volumes;
  // Files bound into a container (/etc/hosts) are mounts but no drives.
  for (const Volume& v : ParseMountInfo(QString::fromLocal8Bit(file.readAll())))
    if (QFileInfo(v.mountPoint).isDir()) volumes.push_back(v);
  return volumes;
}

QString RootName(const Volume& volume) {
  return volume.mountPoint.endsWith(u'/') ? volume.mountPoint : volume.mountPoint + u'/';
}

int GetLogicalDriveStrings(int bufferLength, QString& buffer) {
  QString text;
  for (const Volume& v : CurrentVolumes()) text += RootName(v) + QChar(u'\0');
  if (text.size() > bufferLength) return static_cast<int>(text.size());
  buffer = text;
  return static_cast<int>(text.size());
}

int GetDriveType(const QString& rootName) {
  for (const Volume& v : CurrentVolumes()) {
    if (RootName(v) != rootName) continue;
    const bool opticalFs = v.fileSystem == QLatin1String("iso9660") || v.fileSystem == QLatin1String("udf");
    if (opticalFs && IsOpticalDevice(v.device)) return DRIVE_CDROM;
    if (IsNetworkFileSystem(v.fileSystem)) return DRIVE_REMOTE;
    return DRIVE_FIXED;
  }
  return DRIVE_NO_ROOT_DIR;
}

QString DirOnVolume(const QString& rootName, const QString& relativePath, int attributes) {
  const QFileInfo root(rootName);
  if (!root.isDir() || !root.isReadable() || ::access(QFile::encodeName(rootName).constData(), R_OK | X_OK) != 0)
    Raise(err::BadFileName);
  return Dir(rootName + relativePath, attributes);
}

}  // namespace platform
