#include "http/HttpError.h"

#include "base/Text.h"

namespace nimbrell {

SocketError::SocketError(int code, const std::string& systemText)
    : HttpError(Format("Socket Error # %d\r\n%s", code, systemText.c_str()))
    , m_code(code)
{
}

ReadTimeoutError::ReadTimeoutError()
    : HttpError(HttpMessages::kReadTimedOut)
{
}

DeadlineError::DeadlineError()
    : HttpError(HttpMessages::kDeadlinePassed)
{
}

ConnectionClosedError::ConnectionClosedError()
    : HttpError(HttpMessages::kConnectionClosedGracefully)
{
}

}
