#pragma once
// Pellorin's question window. Loading it starts everything: the command
// line gives the test, the test is built, and the window shows its title.
#include "assessment/TestData.h"
#include "platform/Data.h"
#include "platform/Form.h"
#include "platform/Random.h"

namespace assessment {

class frmQandA : public platform::Form {
  Q_OBJECT

 public:
  explicit frmQandA(QWidget* parent = nullptr);
  ~frmQandA() override;

  // The generator the test is drawn with (the program's own unless replaced).
  void SetRandomGenerator(platform::RandomGenerator* random) { random_ = random; }

  // The data controls: the training database and the results database.
  platform::DataControl adoAccMainTest;
  platform::DataControl adoAccess;

  // What the build produced.
  TestData Test;
  bool TestBuilt = false;
  long CurrentQuestion = 0;
  long CurrentQuestionId = 0;

 protected:
  void Form_Load() override;
  void Form_Unload(int& cancel) override;

 private:
  void ReadCommandLine(const QString& commandLine);
  void BuildTestQuestions();

  platform::RandomGenerator* random_;
};

}  // namespace assessment
