#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QString>
#include <QVariantMap>
#include <string>

#include "abi/UtilityAbi.h"

namespace vellomar {
namespace {

const QString kService = "org.freedesktop.UDisks2";

// UDisks2 names a block device's object after its kernel name, other bytes as "_xx".
QString blockObject(const std::string& device) {
  const std::string name = device.substr(device.rfind('/') + 1);
  QString path = "/org/freedesktop/UDisks2/block_devices/";
  for (const unsigned char c : name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      path += QChar(c);
    } else {
      path += QString("_%1").arg(c, 2, 16, QChar('0'));
    }
  }
  return path;
}

bool succeeded(QDBusConnection& bus, const QDBusMessage& call) {
  return bus.call(call).type() == QDBusMessage::ReplyMessage;
}

// Unmounts the medium's file system (a drive with mounted media refuses to eject), then ejects
// the drive that holds the block device.
bool ejectThroughUDisks(const std::string& device) {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return false;
  const QString block = blockObject(device);
  QDBusMessage get =
      QDBusMessage::createMethodCall(kService, block, "org.freedesktop.DBus.Properties", "Get");
  get << QString("org.freedesktop.UDisks2.Block") << QString("Drive");
  const QDBusMessage reply = bus.call(get);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  const QDBusObjectPath drive =
      qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().value<QDBusObjectPath>();
  if (drive.path().isEmpty() || drive.path() == "/") return false;
  QDBusMessage unmount = QDBusMessage::createMethodCall(
      kService, block, "org.freedesktop.UDisks2.Filesystem", "Unmount");
  unmount << QVariantMap();
  bus.call(unmount);  // fails harmlessly when nothing is mounted
  QDBusMessage eject = QDBusMessage::createMethodCall(kService, drive.path(),
                                                      "org.freedesktop.UDisks2.Drive", "Eject");
  eject << QVariantMap();
  return succeeded(bus, eject);
}

bool ejectThroughDevice(const std::string& device) {
  const int fd = open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ioctl(fd, CDROMEJECT, 0) == 0;
  close(fd);
  return ok;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t Eject(int32_t /*drive*/,
                                                                const char* device) {
  try {
    if (device == nullptr || *device == '\0') return 1;
    return ejectThroughUDisks(device) || ejectThroughDevice(device) ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

}  // namespace vellomar
