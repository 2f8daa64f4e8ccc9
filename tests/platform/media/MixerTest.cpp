#include "platform/media/Mixer.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace platform;

namespace {
// The kernel lists the sound cards it knows; none here means no mixer.
bool MachineHasSoundCard() {
  QFile cards(QStringLiteral("/proc/asound/cards"));
  if (!cards.open(QIODevice::ReadOnly)) return false;
  return !cards.readAll().contains("no soundcards");
}
}  // namespace

TEST(AlsaMixer, FailsCleanlyWithoutASoundCard) {
  if (MachineHasSoundCard()) GTEST_SKIP() << "this machine has a sound card";
  AlsaMixer mixer;
  EXPECT_FALSE(mixer.Open());
  long minimum = -7;
  long maximum = -7;
  EXPECT_FALSE(mixer.FindMasterVolume(&minimum, &maximum));
  EXPECT_EQ(minimum, -7);
  EXPECT_EQ(maximum, -7);
  EXPECT_FALSE(mixer.SetMasterVolume(10));
  mixer.Close();
  mixer.Close();
  // A second round behaves the same: nothing was left half open.
  EXPECT_FALSE(mixer.Open());
}
