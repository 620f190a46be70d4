// The five audio readers behind ReadAudioTags, one per container. Each fills the caller's zero-filled record
// by the rules of audio_tags.h; the dispatch in audio_tags.cpp chooses among them by the file name.
#pragma once

struct AudioTagInfo;

// MP3: stream properties from the first MPEG frame header, texts from the ID3v2 tag at the start and the
// ID3v1 tag at the end. 0, or the file layer's error when the file cannot be opened or its ID3v1 bytes
// cannot be read; a file of another kind gives 0 with nothing set.
int ReadMp3Info(const wchar_t* path, AudioTagInfo* info);

// Ogg: every logical stream is walked; Vorbis streams set format "Ogg Vorbis", their properties and their
// comments. The format stays empty when the file cannot be opened or holds no Vorbis stream. The record is
// not finished here.
void ReadOggVorbisInfo(const wchar_t* path, AudioTagInfo* info);

// WMA (ASF header objects), FLAC (metadata blocks) and M4A (MP4 atoms): 0 with the record finished, else -1.
// A failed FLAC read leaves the record all zero; the others keep what they had read.
int ReadWmaInfo(const wchar_t* path, AudioTagInfo* info);
int ReadFlacInfo(const wchar_t* path, AudioTagInfo* info);
int ReadM4aInfo(const wchar_t* path, AudioTagInfo* info);
