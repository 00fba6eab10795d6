// level_music.h - music and background changes as the level climbs.
#ifndef VORLANE_MATCH_LEVEL_MUSIC_H
#define VORLANE_MATCH_LEVEL_MUSIC_H

// Called after every frame of an endless single-player round with the current level.
void SetLevelMusic(int level);

#endif
