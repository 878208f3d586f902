// The C entry points, shaped exactly like libtdjson's.

#include "Simulator.h"
#include "tdjson_sim.h"

extern "C" {

int td_create_client_id(void)
{
    return Simulator::instance().createClientId();
}

void td_send(int client_id, const char *request)
{
    Simulator::instance().send(client_id, request ? QByteArray(request) : QByteArray());
}

const char *td_receive(double timeout)
{
    return Simulator::instance().receive(timeout);
}

const char *td_execute(const char *request)
{
    thread_local QByteArray answer;
    answer = Simulator::execute(request ? QByteArray(request) : QByteArray());
    return answer.constData();
}

void tdsim_configure(const char *json)
{
    if (json)
        Simulator::instance().configure(QByteArray(json));
}
}
