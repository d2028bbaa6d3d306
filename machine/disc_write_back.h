// Writes modified disc images back to their files by themselves, so that a
// crash, a kill or a lost display costs at most the last few seconds of a
// program's writes. The first write after a save starts a clock; Delay later
// the image's copy is brought up to date and written on a thread of its own,
// so the emulation keeps its pace while the file system works. The copy is
// taken whole when an image is first seen, and from then on only the blocks
// written since are copied. A program that writes without pause is saved
// every Delay too.
//
// Poll runs on the window thread (often: every PollPeriod or less); Settle
// waits for the save in progress and must run before anything else saves,
// loads or drops an image. A save that fails (the file became read-only, its
// folder went, the disc is full) is tried again Delay later and reported once
// per run of failures; an image whose file another program changed is not
// saved again by itself (the user decides at the unmount or the exit). An
// image whose file has been read-only since its load is not reported: the
// user was told at the mount. Once a reported image is saved, discarded,
// unmounted or replaced, that is reported too.
#pragma once

#include "machine/disc/virtual_dsk.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class TDiscWriteBack {
  public:
    using TClock = std::chrono::steady_clock;
    static constexpr TClock::duration Delay = std::chrono::seconds(3);
    static constexpr TClock::duration PollPeriod = std::chrono::milliseconds(100);

    TDiscWriteBack(TVirtualDsk* drives, int count);
    // Waits for the save in progress.
    ~TDiscWriteBack();
    TDiscWriteBack(const TDiscWriteBack&) = delete;
    TDiscWriteBack& operator=(const TDiscWriteBack&) = delete;

    void Poll(TClock::time_point now);
    void Settle();

    // A drive's image could not be written back: the message names the file and
    // the reason. Called on the window thread, once per run of failures.
    std::function<void(int drive, const std::string& message)> OnFailed;
    // A drive's image was written back.
    std::function<void(int drive)> OnSaved;
    // A drive whose failure was reported no longer holds those writes unsaved:
    // they were saved (by the write-back or otherwise) or discarded, or the
    // image is gone. Called on the window thread.
    std::function<void(int drive)> OnCleared;

  private:
    struct TDrive {
        std::uint64_t SeenWrites = 0;
        std::optional<TClock::time_point> DirtySince;
        bool Saving = false;   // the writer has Copy: the window thread keeps off it
        bool Failing = false;  // the last save failed
        bool Blocked = false;  // another program changed the file
        bool Reported = false; // OnFailed was called for the image of ReportedSerial
        std::uint64_t ReportedSerial = 0;
        TDiscSnapshot Copy;
    };
    struct TResult {
        int Drive = 0;
        bool Ok = false;
        bool Changed = false;
        platform::TFileVersion Version;
        std::string Error;
    };

    void Start(int d);
    void Clear(int d);
    void Apply(TResult& result, TClock::time_point now);
    void TakeResults(TClock::time_point now);
    void Work();

    TVirtualDsk* Drives;
    std::vector<TDrive> State;

    mutable std::mutex Lock;
    std::condition_variable Wake;
    std::deque<TResult> Jobs; // a job is a result not yet filled in
    std::deque<TResult> Done;
    int Pending = 0; // queued or being written
    bool Stopping = false;
    std::thread Writer;
};
