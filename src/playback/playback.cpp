// Placeholder until the audio engine lands.
