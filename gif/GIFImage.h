// Everything a caller of the GIF library needs.
#pragma once

#include "gif/Animator.h"
#include "gif/AppExtensions.h"
#include "gif/Basics.h"
#include "gif/ColorMap.h"
#include "gif/Document.h"
#include "gif/ExtensionRegistry.h"
#include "gif/Extensions.h"
#include "gif/Format.h"
#include "gif/Messages.h"
#include "gif/Platform.h"
#include "gif/Reader.h"
#include "gif/Settings.h"
#include "gif/SubBlocks.h"
#include "gif/Writer.h"
