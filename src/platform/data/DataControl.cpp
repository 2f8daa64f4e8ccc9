// The ADO data control: one connection kept across refreshes while its
// connection string and mode stay the same, one recordset per refresh.
#include "platform/data/Data.h"

namespace platform {

DataControl::DataControl() = default;
DataControl::~DataControl() = default;

void DataControl::Refresh() {
  try {
    recordset_.reset();
    const bool reuse =
        connection_ && connection_->IsOpen() && openedWith_ == ConnectionString && openedMode_ == Mode;
    if (!reuse) {
      if (connection_) connection_->Close();
      connection_ = std::make_unique<Connection>();
      connection_->ConnectionString = ConnectionString;
      connection_->Mode = Mode;
      connection_->BusyTimeout = BusyTimeout;
      connection_->Open();
      openedWith_ = ConnectionString;
      openedMode_ = Mode;
    }
    auto recordset = std::make_unique<Recordset>();
    switch (CommandType) {
      case adCmdText:
      case adCmdUnknown: recordset->Open(*connection_, RecordSource, Parameters); break;
      case adCmdTable:
      case adCmdTableDirect: recordset->OpenTable(*connection_, RecordSource); break;
      default:
        Raise(err::BadArguments, QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or "
                                                "are in conflict with one another."));
    }
    recordset_ = std::move(recordset);
  } catch (const VbError& e) {
    if (Error) Error(e.Number(), e.Description());
    throw;
  }
}

Recordset* DataControl::GetRecordset() { return recordset_.get(); }

void DataControl::DetachRecordset() {
  if (recordset_) recordset_->Detach();
}

Connection* DataControl::GetConnection() { return connection_.get(); }

}  // namespace platform
