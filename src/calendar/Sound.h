#pragma once

// The reminder sound as the model sees it. The desktop program plays a wave file;
// tests count the calls.
class ISound
{
public:
    virtual ~ISound() = default;
    // False when no sound file was found or it could not be opened.
    virtual bool Available() const = 0;
    // Starts the sound from its beginning and returns at once.
    virtual void Play() = 0;
};
