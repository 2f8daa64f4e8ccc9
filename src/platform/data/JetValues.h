#pragma once
// Field values of Jet and ACE files read from their stored bytes, where
// libmdb reads them wrong or not at all: text with characters beyond the
// first 65,536, Replication IDs, "Date/Time Extended" values and the results
// calculated columns store. Each gives nullopt for bytes no valid file holds.
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace platform::jet {

// Text of Jet 4 and later: UTF-16, surrogate pairs included. Bytes that
// begin FF FE are compressed: runs of one byte a character (the high byte 0)
// and of two bytes a character take turns, each ended by a zero byte.
QString TextOf(QByteArrayView stored);

// A Replication ID (16 bytes) as Access shows it:
// {8E39276A-BCA8-4AC4-891E-49911D8438DD}.
std::optional<QString> GuidOf(QByteArrayView stored);

// A "Date/Time Extended" value as a date serial (the nearest one a double
// holds). The file keeps 42 characters: the days since 1 January of year 1
// and the time in units of 100 ns, 19 digits each, then the precision:
// "0000000000000737592:0000000000459000000:7" and a zero byte.
std::optional<double> ExtendedDateOf(QByteArrayView stored);

// What a calculated column stores: a header of 20 bytes whose last four
// give the length of the result that follows, and some bytes of padding.
std::optional<QByteArrayView> CalculatedResultOf(QByteArrayView stored);

// A decimal result of a calculated column as the nearest double: its
// length (2 bytes), scale, sign and the digits as a whole number of 4 to
// 16 bytes in Access's word order.
std::optional<double> CalculatedDecimalOf(QByteArrayView result);

}  // namespace platform::jet
