#pragma once

// Every model class of the YouTube Data API.

#include "components/google/GTLYouTubeActivityObjects.h"
#include "components/google/GTLYouTubeChannelObjects.h"
#include "components/google/GTLYouTubeCommonObjects.h"
#include "components/google/GTLYouTubeContentRatingObjects.h"
#include "components/google/GTLYouTubeLiveObjects.h"
#include "components/google/GTLYouTubeLocaleObjects.h"
#include "components/google/GTLYouTubePlaylistObjects.h"
#include "components/google/GTLYouTubeSearchObjects.h"
#include "components/google/GTLYouTubeVideoObjects.h"
