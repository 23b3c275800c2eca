// The stand-in host in one include.
//
//   plix::standin::StandinHost host;              // services, objects, call record
//   host.addObject(HostObject::fixed(itemId(1), 100));
//   plix::standin::ModuleFile module;
//   module.open("plix6.p");                       // descriptor checked, startup called
//   plix::standin::HandlerServer effect(module, host);
//   effect.activate();                            // 0 when activated
//   void *inst = effect.create(itemId(1));
//   effect.newTime(inst, 10, 10 / 30.0);
//   auto points = effect.evaluateAll(inst, 100);
//   effect.destroy(inst);
#pragma once

#include "plix/standin/call_log.h"
#include "plix/standin/effect_servers.h"
#include "plix/geometry.h"
#include "plix/standin/module_file.h"
#include "plix/standin/panel_toolkit.h"
#include "plix/standin/particle_store.h"
#include "plix/standin/host_object.h"
#include "plix/standin/scene_streams.h"
#include "plix/standin/standin_host.h"
