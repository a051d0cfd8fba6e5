#include "app/QuilletApp.h"

CQuilletApp theApp;
