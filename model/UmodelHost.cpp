// The model's installed window host.
#include "model/UmodelHost.h"

namespace {
IModelHost gDefaultHost;
IModelHost* gHost = &gDefaultHost;
}  // namespace

IModelHost& ModelHost() {
    return *gHost;
}

void SetModelHost(IModelHost* host) {
    gHost = host ? host : &gDefaultHost;
}
