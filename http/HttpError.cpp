#include "http/HttpError.h"

#include "platform/Text.h"

namespace nimbrell {

SocketError::SocketError(int code, const std::string& systemText)
    : HttpError(platform::Format("Socket Error # %d\r\n%s", code, systemText.c_str()))
    , m_code(code)
{
}

ReadTimeoutError::ReadTimeoutError()
    : HttpError(HttpMessages::ReadTimedOut)
{
}

DeadlineError::DeadlineError()
    : HttpError(HttpMessages::DeadlinePassed)
{
}

ConnectionClosedError::ConnectionClosedError()
    : HttpError(HttpMessages::ConnectionClosedGracefully)
{
}

}
