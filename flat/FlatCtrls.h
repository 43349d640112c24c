#pragma once

// Every control family of the flat set, one header each.

#include "FlatButton.h"
#include "FlatCheckBox.h"
#include "FlatColorBox.h"
#include "FlatComboBox.h"
#include "FlatEdit.h"
#include "FlatGroupBox.h"
#include "FlatLabel.h"
#include "FlatPages.h"
#include "FlatPanel.h"
#include "FlatRadioButton.h"
