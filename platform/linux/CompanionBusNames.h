// Names this program and the companion share on the session bus. The protocol is written
// up for companion authors in docs/companion-protocol.md; keep the two in step.
#pragma once

// The companion owns this name while it runs; the launcher asks for its owner to learn
// whether the companion is up.
inline constexpr char const* kCompanionServiceName = "org.velto.Velto";

// Every message travels as one broadcast signal:
//   Notification(s name, s object, b hasObject, a{sv} values)
// hasObject false means "no object"; object is then "" and carries no meaning.
inline constexpr char const* kCompanionBusPath = "/org/velto/DistributedNotifications";
inline constexpr char const* kCompanionBusInterface = "org.velto.DistributedNotifications";
inline constexpr char const* kCompanionBusMember = "Notification";
inline constexpr char const* kCompanionBusSignature = "ssba{sv}";
