// vexil engine core (libscenecore.so): the one header the player, the effect library and the
// tests include. It brings the XML classes, script dispatch, plug-ins, parameters and values.
#pragma once

#include <tinyxml.h>

#include "script/linkedlist.h"
#include "script/plugin.h"
#include "script/widgetmanager.h"
#include "script/xmlhandler.h"

#include "params/dataprovider.h"
#include "params/param.h"
#include "params/paramkeyed.h"
#include "params/paramsync.h"
#include "params/paramvar.h"
#include "params/synccontext.h"
#include "params/synctrack.h"
#include "params/value.h"

// ---- Timeline, modules, device and resources (engine/timeline/*.h) --------------------------
#include "timeline/demodevice.h"
#include "timeline/module.h"
#include "timeline/resource.h"
#include "timeline/resourcemanager.h"
#include "timeline/statescope.h"
#include "timeline/texturemanager.h"
#include "timeline/timeline.h"
// ---- end of timeline headers ----------------------------------------------------------------
