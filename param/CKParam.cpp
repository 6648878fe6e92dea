#include "param/CKParam.h"
