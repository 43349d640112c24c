#pragma once

// Every control family of the flat set, one header each.

#include "FlatLabel.h"
#include "FlatPanel.h"
