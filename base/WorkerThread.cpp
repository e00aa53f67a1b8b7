#include "base/WorkerThread.h"

#include <pthread.h>

namespace nimbrell {

CloseSignalsBlocked::CloseSignalsBlocked()
{
    sigset_t closing;
    sigemptyset(&closing);
    sigaddset(&closing, SIGINT);
    sigaddset(&closing, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &closing, &m_previous);
}

CloseSignalsBlocked::~CloseSignalsBlocked()
{
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

}
