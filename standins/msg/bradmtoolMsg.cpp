// The message library: one-line English texts for return and transport codes.
#include "platform/external/bradmtoolMsg.h"

namespace {

struct Message {
  int code;
  const char* text;
};

constexpr Message Messages[] = {
    {0, "The operation succeeded."},
    {1, "There is no current session, or the server's reply lacks a required field."},
    {3, "A required argument is missing or empty."},
    {4, "The connection to the report server or the login failed."},
    {1020, "The connection to the report server could not be made."},
    {1055, "The report server closed the connection."},
    {1070, "The report server's host name could not be resolved."},
    {1071, "Receiving from the report server failed."},
    {1072, "Sending to the report server failed."},
    {1074, "The report server sent a message that could not be read."},
    {1102, "The object has no revision."},
    // Error codes of the stand-in report server (brindle-server).
    {9001, "No object exists at that path."},
    {9002, "An object already exists at that path."},
    {9003, "The object was changed by someone else; read it again and retry."},
    {9004, "The report server could not understand the request."},
    {9005, "The report file is missing, unreadable or too large."},
    {9006, "The report server requires a login."},
    {9007, "The report server refused the login."},
    {9008, "The folder is not empty."},
    {9009, "That change is not permitted."},
    {9010, "The server's answer does not fit the buffer."},
    {9011, "The report server could not store the change."},
    {9012, "The report file is outside the folders this server publishes from."},
    {9013, "The report server is too busy to take the request; try again later."},
};

}  // namespace

extern "C" const char* brwebGetMessage(int code) {
  for (const Message& m : Messages) {
    if (m.code == code) return m.text;
  }
  return nullptr;
}
