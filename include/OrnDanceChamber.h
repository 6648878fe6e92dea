// OrnDanceChamber: the whole public interface of the Chamber module and its widget toolkit.
#pragma once

#include "OrnDanceChamberExport.h"
#include "chamber/CGuiDanceChamber.h"
#include "chamber/ChamberClock.h"
#include "param/ChamberRecords.h"
#include "gui/GuiCreate.h"
#include "gui/GuiMarkup.h"
#include "gui/GuiRuntime.h"
#include "gui/GuiValueTypes.h"
#include "gui/GuiWidgets.h"
#include "gui/GuiWindow.h"
#include "param/UserExtraData.h"
#include "param/CKParam.h"
#include "param/ChamberMessages.h"
#include "text/CString.h"
#include "text/Decimal.h"
#include "text/GuiFormat.h"
